#include "chat_link.h"

#include "text_encoding.h"

std::string chatLink(std::string_view keyword, std::string_view webHost) {
    std::string link = "http://";
    link += webHost;
    link += "/webww/?spm=0.0.0.228.48bf79&ver=1&&touid=cntaobao";
    link += urlEncode(keyword, true);
    link += "&siteid=cntaobao&status=2&portalId=&gid=59800934&itemsId=";
    return link;
}
