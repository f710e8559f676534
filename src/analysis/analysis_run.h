#pragma once

#include <string>

#include "analysis_view.h"
#include "http_fetcher.h"
#include "marketplace_hosts.h"
#include "run_state.h"
#include "split_text.h"

class RegexPattern;

struct MarketplaceHosts {
    std::string suggest{marketplaceSuggestHost};
    std::string search{marketplaceSearchHost};
};

// One analysis of the keyword box: every suggestion of every seed keyword becomes a numbered row
// with its result count. Runs on a worker thread of its own and reaches the window only
// through the view.
class AnalysisRun {
public:
    AnalysisRun(AnalysisView& view, HttpFetcher& http, RunState& state,
                MarketplaceHosts hosts = {});

    void operator()();

private:
    // Reaches the end of the run, whichever way it ends.
    void walkSeeds();
    enum class SeedOutcome { Listed, Failed };

    SeedOutcome analyseSeed(const std::string& seed, RegexPattern& pattern);
    // A stop request is obeyed only here, before a seed keyword and after its last suggestion.
    bool takeStopRequest();
    void fail(const std::string& message);

    AnalysisView& m_view;
    HttpFetcher& m_http;
    RunState& m_state;
    MarketplaceHosts m_hosts;
    int m_rowNumber = 1;
};
