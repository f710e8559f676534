#include "control_skin.h"

#include <array>

#include <QApplication>
#include <QString>

namespace {

struct SkinScheme {
    const char* frame;
    const char* face;
};

// Flat frames in the scheme's colour around every framed control.
constexpr std::array<SkinScheme, 3> schemes{{
    {"rgb(127, 157, 185)", "rgb(236, 233, 216)"},
    {"rgb(164, 171, 153)", "rgb(236, 236, 224)"},
    {"rgb(198, 197, 215)", "rgb(236, 235, 242)"},
}};

QString styleSheet(const SkinScheme& scheme) {
    return QStringLiteral("QPushButton { border: 1px solid %1; background: %2; padding: 2px; }"
                          "QPushButton:hover { background: white; }"
                          "QPushButton:pressed { background: %1; }"
                          "QPushButton:disabled { color: gray; }"
                          "QPlainTextEdit, QTableView { border: 1px solid %1; background: white; }"
                          "QHeaderView::section { border: 0; border-right: 1px solid %1;"
                          " border-bottom: 1px solid %1; background: %2; padding: 2px 4px; }")
        .arg(QLatin1StringView(scheme.frame), QLatin1StringView(scheme.face));
}

} // namespace

void setControlSkin(int style) {
    if (style >= 1 && style <= static_cast<int>(schemes.size()))
        qApp->setStyleSheet(styleSheet(schemes[static_cast<std::size_t>(style - 1)]));
    else
        qApp->setStyleSheet(QString());
}
