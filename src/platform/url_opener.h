#pragma once

#include <string>

// Opens an address in the desktop's default browser without waiting for it. The address goes
// on byte for byte: its percent escapes are neither decoded nor escaped again.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const std::string& address) = 0;
};

// Hands the address to xdg-open as it stands. A QUrl is avoided on purpose: it would normalise
// escapes of bytes that are not UTF-8, such as a GBK keyword's.
class DesktopUrlOpener final : public UrlOpener {
public:
    void open(const std::string& address) override;
};
