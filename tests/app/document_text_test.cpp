// Names from the file system as documents show them: the same replacement of bytes that are
// not UTF-8 as the JSON writer makes, and nothing an XML document may not hold.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "app/message_text.h"

namespace brimwell {
namespace {

const std::string kNotUtf8[] = {
    "caf\xe9",  // a Latin-1 byte
    "\xc3",     // cut at the end
    "\xe2\x82"
    "a",                     // cut by a character: read again
    "\xc0\xaf",              // overlong
    "\xed\xa0\x80",          // a surrogate
    "\xf4\x90\x80\x80",      // above U+10FFFF
    "\xf0\x9f\x98\x80\xff",  // a good one, then a byte that never is
};

TEST(DocumentText, NotUtf8IsReplacedAsTheJsonWriterDoesIt) {
  for (const std::string& text : kNotUtf8) {
    const std::string json =
        nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    EXPECT_EQ("\"" + validUtf8(text) + "\"", json) << printableMessage(text);
  }
}

TEST(DocumentText, ControlCharactersAndNonCharactersAreShownEscaped) {
  EXPECT_EQ(documentText("a\x01"
                         "b\x1b[31m\tc"),
            "a\\x01b\\x1B[31m\\tc");
  EXPECT_EQ(documentText("x\xef\xbf\xbe\xef\xbf\xbfy\xe9"),
            "x\\xEF\\xBF\\xBE\\xEF\\xBF\\xBFy\xef\xbf\xbd");
  EXPECT_EQ(documentText("caf\xc3\xa9 \xe2\x82\xac"), "caf\xc3\xa9 \xe2\x82\xac");
}

}  // namespace
}  // namespace brimwell
