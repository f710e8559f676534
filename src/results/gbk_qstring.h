#pragma once

#include <string>
#include <string_view>

#include <QString>

// The widget boundary: the core keeps GBK byte strings, widgets take QString.
QString fromGbk(std::string_view gbk);
std::string toGbk(const QString& text);
