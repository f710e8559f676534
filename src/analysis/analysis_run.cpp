#include "analysis_run.h"

#include "marketplace_queries.h"
#include "regex_pattern.h"
#include "text_encoding.h"

namespace {

// GBK: 分析完毕！
const std::string completedMessage = "\xb7\xd6\xce\xf6\xcd\xea\xb1\xcf\xa3\xa1";
// GBK: 正则创建失败，请检查正则表达式语句是否有误！
const std::string patternFailedMessage =
    "\xd5\xfd\xd4\xf2\xb4\xb4\xbd\xa8\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xb2\xe9\xd5\xfd"
    "\xd4\xf2\xb1\xed\xb4\xef\xca\xbd\xd3\xef\xbe\xe4\xca\xc7\xb7\xf1\xd3\xd0\xce\xf3\xa3\xa1";
// GBK: 匹配失败，请检检查正则语句是否有误，数量：0
const std::string noMatchMessage =
    "\xc6\xa5\xc5\xe4\xca\xa7\xb0\xdc\xa3\xac\xc7\xeb\xbc\xec\xbc\xec\xb2\xe9\xd5\xfd\xd4\xf2"
    "\xd3\xef\xbe\xe4\xca\xc7\xb7\xf1\xd3\xd0\xce\xf3\xa3\xac\xca\xfd\xc1\xbf\xa3\xba\x30";

} // namespace

AnalysisRun::AnalysisRun(AnalysisView& view, HttpFetcher& http, RunState& state,
                         MarketplaceHosts hosts)
    : m_view(view), m_http(http), m_state(state), m_hosts(std::move(hosts)) {}

void AnalysisRun::operator()() {
    walkSeeds();
    m_view.endProgress();
}

void AnalysisRun::walkSeeds() {
    RegexPattern pattern;
    m_rowNumber = 1;
    const TextList seeds = splitText(m_view.keywordText(), "\r\n");
    const int seedCount = static_cast<int>(seeds.size());
    for (int k = 0; k < seedCount; ++k) {
        if (takeStopRequest())
            break;
        m_view.showProgress(k + 1, seedCount, seeds[k]);
        if (analyseSeed(seeds[k], pattern) == SeedOutcome::Failed)
            return;
        if (takeStopRequest())
            break;
    }
    m_view.showMessage(completedMessage, MessageIcon::Information);
    for (const ButtonWrite& write : ButtonsStopped)
        m_view.setButtonEnabled(write.button, write.enabled);
}

AnalysisRun::SeedOutcome AnalysisRun::analyseSeed(const std::string& seed, RegexPattern& pattern) {
    const std::string answer = bytesToText(m_http.fetch(suggestionQueryUrl(seed, m_hosts.suggest)));
    if (!compilePattern(pattern, suggestionPattern, false)) {
        fail(patternFailedMessage);
        return SeedOutcome::Failed;
    }
    const auto matches = m_state.matchResults.replace(findAll(pattern, answer));
    if (matches->empty()) {
        fail(noMatchMessage);
        return SeedOutcome::Failed;
    }
    // Once a seed's suggestions are known, all of them are listed: no stop test in here.
    for (const RegexMatch& match : *matches) {
        const std::string suggestion = groupText(match, answer, 1);
        const std::string page =
            bytesToText(m_http.fetch(searchQueryUrl(suggestion, m_hosts.search)));
        m_view.appendResultRow(std::to_string(m_rowNumber), utf8ToGbk(suggestion),
                               resultCountText(page));
        ++m_rowNumber;
    }
    return SeedOutcome::Listed;
}

bool AnalysisRun::takeStopRequest() {
    int requested = 1;
    return m_state.stopRequested.compare_exchange_strong(requested, 0);
}

void AnalysisRun::fail(const std::string& message) {
    m_view.showMessage(message, MessageIcon::Error);
}
