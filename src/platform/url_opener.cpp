#include "url_opener.h"

#include <QProcess>
#include <QString>

void DesktopUrlOpener::open(const std::string& address) {
    QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromLatin1(address)});
}
