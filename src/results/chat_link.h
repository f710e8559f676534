#pragma once

#include <string>
#include <string_view>

#include "marketplace_hosts.h"

// The chat link for a GBK keyword: its bytes are percent-encoded as they are, not as UTF-8.
std::string chatLink(std::string_view keyword, std::string_view webHost = marketplaceWebHost);
