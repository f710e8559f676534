#include "gbk_qstring.h"

#include "text_encoding.h"

QString fromGbk(std::string_view gbk) {
    return QString::fromStdString(gbkToUtf8(gbk));
}

std::string toGbk(const QString& text) {
    return utf8ToGbk(text.toStdString());
}
