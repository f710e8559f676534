#pragma once

#include <string>

#include "button_states.h"

enum class MessageIcon { Error = 16, Information = 64 };

// What the run needs of the window. The run calls it from its worker thread; every call
// returns only once the window has carried it out. Texts are GBK.
class AnalysisView {
public:
    virtual ~AnalysisView() = default;

    // The keyword box's text with CR LF line breaks.
    virtual std::string keywordText() = 0;
    // Appends a row titled "0", then sets its title, column 2 and column 3, as one operation, so
    // that no other change to the list (a sort, a Clear) can come between the append and the
    // writes.
    virtual void appendResultRow(const std::string& title, const std::string& keyword,
                                 const std::string& count) = 0;
    virtual void setButtonEnabled(ActionButton button, bool enabled) = 0;
    // Shows a message box and returns once the user has closed it.
    virtual void showMessage(const std::string& text, MessageIcon icon) = 0;
    // The run is at seed keyword seedNumber (from 1) of seedCount.
    virtual void showProgress(int seedNumber, int seedCount, const std::string& seed) = 0;
    // The run has ended, whichever way.
    virtual void endProgress() = 0;
};
