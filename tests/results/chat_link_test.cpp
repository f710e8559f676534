#include <string>

#include <gtest/gtest.h>

#include "chat_link.h"
#include "marketplace_hosts.h"
#include "named_case.h"

namespace {

using namedCase::PrintTo;

struct LinkCase {
    const char* name;
    std::string keyword;
    std::string host;
    std::string expected;
};

class ChatLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(ChatLinkTest, EncodesTheGbkKeywordBetweenTheFixedPieces) {
    EXPECT_EQ(chatLink(GetParam().keyword, GetParam().host), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, ChatLinkTest,
    ::testing::Values(
        LinkCase{"GbkBytesEncodedAsTheyAre", "\xC1\xAC\xD2\xC2\xC8\xB9", "www.taobao.com",
                 "http://www.taobao.com/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao"
                 "%C1%AC%D2%C2%C8%B9&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId="},
        LinkCase{"AlphanumericsHyphenAndPointKept", "ab-1.x y", "www.taobao.com",
                 "http://www.taobao.com/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao"
                 "ab-1.x%20y&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId="},
        LinkCase{"QueryCharactersCannotBreakTheQuery", "a&b=c%d#e", "www.taobao.com",
                 "http://www.taobao.com/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao"
                 "a%26b%3Dc%25d%23e&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId="},
        LinkCase{"EmptyKeywordLeavesTheGapEmpty", "", "www.taobao.com",
                 "http://www.taobao.com/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao"
                 "&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId="},
        LinkCase{"HostWithPort", "k", "127.0.0.1:8080",
                 "http://127.0.0.1:8080/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao"
                 "k&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId="}),
    namedCase::testName);

TEST(ChatLink, UsesTheConfiguredWebHostByDefault) {
    EXPECT_EQ(chatLink("k"), chatLink("k", marketplaceWebHost));
    EXPECT_EQ(chatLink("k").rfind("http://" + std::string(marketplaceWebHost) + "/webww/?", 0), 0u);
}

} // namespace
