// The JSON, CSV and HTML writers with the strings a drawing can hold, and the links a
// page makes to image files.
#include <gtest/gtest.h>

#include "report/Csv.h"
#include "report/Html.h"
#include "report/Json.h"

namespace {

// texts a drawing or a file name can hold: markup, quotes, backslashes (Windows paths),
// line breaks and other control characters, formulas, Japanese
const std::string kScript = "<script>alert(1)</script>&\"'";

TEST(JsonWriter, EscapesEveryStringAndKey) {
  const std::pair<std::string, std::string> rows[] = {
      {kScript, R"("<script>alert(1)</script>&\"'")"},
      {"C:\\img\\a.bmp", R"("C:\\img\\a.bmp")"},
      {"a\nb\rc\td", R"("a\nb\rc\td")"},
      {std::string("\x01\x1f", 2) + std::string(1, '\0'), R"("\u0001\u001f\u0000")"},
      {"\xE5\x86\x99\xE7\x9C\x9F", "\"\xE5\x86\x99\xE7\x9C\x9F\""},  // 写真 as it is
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(report::JsonString(in), out);

  report::JsonWriter json;
  json.BeginObject().Key(kScript).String("\\").Key("list").BeginArray().Number(-1).Bool(true).Null();
  json.BeginObject().EndObject().EndArray().Key("lines").BeginArray(true).String("a").String("b").EndArray();
  json.EndObject();
  EXPECT_EQ(json.Text(), R"({"<script>alert(1)</script>&\"'": "\\", "list": [-1, true, null, {}], "lines": [)"
                         "\n    \"a\",\n    \"b\"\n  ]}");
}

TEST(CsvWriter, QuotesWhatNeedsItAndKeepsFormulasText) {
  const std::pair<std::string, std::string> rows[] = {
      {"plain", "plain"},
      {"", ""},
      {"a,b", "\"a,b\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {"=HYPERLINK(\"http://x\")", "\"'=HYPERLINK(\"\"http://x\"\")\""},
      {"+1", "\"'+1\""},
      {"-2+3", "\"'-2+3\""},
      {"@SUM(A1)", "\"'@SUM(A1)\""},
      {"\tx", "\"'\tx\""},
      {"\xEF\xBC\x9D" "1+1", "\"'\xEF\xBC\x9D" "1+1\""},  // a full-width equals sign
      {"a=b", "a=b"},
      {kScript, "\"<script>alert(1)</script>&\"\"'\""},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(report::CsvField(in), out) << in;

  report::CsvWriter csv;
  csv.Row({"a", "=b"});
  csv.Row({"\xE5\x86\x99\xE7\x9C\x9F"});
  EXPECT_EQ(csv.Text(), "\xEF\xBB\xBF" "a,\"'=b\"\r\n\xE5\x86\x99\xE7\x9C\x9F\r\n");
}

TEST(HtmlWriter, EscapesTextAndAttributeValues) {
  EXPECT_EQ(report::HtmlEscape(kScript), "&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;&#39;");
  report::HtmlWriter html;
  html.Open("p", {{"title", "\" onmouseover=\"alert(1)"}, {"class", "a'b"}});
  html.Text(kScript);
  html.Close("p");
  html.Element("code", {}, "</code><img src=x onerror=alert(1)>");
  EXPECT_EQ(html.Page(),
            "<!DOCTYPE html>\n<p title=\"&quot; onmouseover=&quot;alert(1)\" class=\"a&#39;b\">"
            "&lt;script&gt;alert(1)&lt;/script&gt;&amp;&quot;&#39;</p>\n"
            "<code>&lt;/code&gt;&lt;img src=x onerror=alert(1)&gt;</code>\n");
}

TEST(HtmlWriter, LinksImagesRelativelyWhenNearElseByFileUrl) {
  struct Row {
    std::string folder, target, url;
  };
  const Row rows[] = {
      {"/p/house", "/p/house/img/a.bmp", "img/a.bmp"},
      {"/p/house/", "/p/house/1F/../img/a.bmp", "img/a.bmp"},
      {"/p/house/report", "/p/house/img/a.bmp", "../img/a.bmp"},
      {"/p/a/b/c", "/p/x.bmp", "../../../x.bmp"},
      // too far up, or nothing shared but the root: a file URL
      {"/p/a/b/c/d", "/p/x.bmp", "file:///p/x.bmp"},
      {"/tmp", "/home/me/a.bmp", "file:///home/me/a.bmp"},
      // every byte a URL could misread is encoded, Japanese as UTF-8
      {"/p", "/p/\xE5\x86\x99 #?%:;\\.bmp", "%E5%86%99%20%23%3F%25%3A%3B%5C.bmp"},
      {"/p", "/p/javascript:alert(1)", "javascript%3Aalert%281%29"},
      {"/q", "/p/<script>&\"'.bmp", "file:///p/%3Cscript%3E%26%22%27.bmp"},
      // Windows paths
      {"C:\\work\\house", "C:\\work\\house\\img\\a.bmp", "img/a.bmp"},
      {"c:\\work\\house", "C:\\work\\img\\a.bmp", "../img/a.bmp"},
      {"D:\\report", "C:\\work\\a.bmp", "file:///C:/work/a.bmp"},
      {"C:\\r", "\\\\server\\share\\img\\a b.bmp", "file://server/share/img/a%20b.bmp"},
      {"\\p", "\\p\\img\\a.bmp", "img/a.bmp"},  // from the root of the current drive
  };
  for (const Row& row : rows) EXPECT_EQ(report::UrlFrom(row.folder, row.target), row.url) << row.target;
}

}  // namespace
