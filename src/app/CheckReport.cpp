#include "app/CheckReport.h"

#include <algorithm>

#include "platform/Platform.h"
#include "report/Csv.h"
#include "report/Html.h"
#include "report/Json.h"

namespace app {
namespace {

std::string Where(const CheckedReference& ref) { return ref.InBlock ? "block " + ref.Block : "drawing"; }

std::string UnreadableWords(const CheckedDrawing& drawing) {
  return drawing.Problem.empty() ? "cannot be read" : "cannot be read: " + drawing.Problem;
}

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "6 references: 3 found, 1 missing, ..." for one drawing.
std::string Counts(const CheckedDrawing& drawing) {
  CheckTotals t;
  t.Add(drawing);
  std::string out = Plural(t.References, "image reference", "image references");
  std::string parts;
  const std::pair<std::size_t, const char*> rows[] = {{t.Found, "found"},       {t.FoundBySearch, "found by search"},
                                                      {t.Missing, "missing"},   {t.Embedded, "embedded"},
                                                      {t.Disabled, "disabled"}};
  for (const auto& [n, words] : rows) {
    if (n) parts += (parts.empty() ? "" : ", ") + std::to_string(n) + " " + words;
  }
  return parts.empty() ? out : out + ": " + parts;
}

// The drawings with problems first, each group in the order checked.
std::vector<const CheckedDrawing*> ProblemsFirst(const CheckResult& result) {
  std::vector<const CheckedDrawing*> order;
  for (const CheckedDrawing& d : result.Drawings) order.push_back(&d);
  std::stable_partition(order.begin(), order.end(), [](const CheckedDrawing* d) { return d->HasProblem(); });
  return order;
}

void JsonReference(report::JsonWriter& json, const CheckedReference& ref) {
  json.BeginObject().Key("in").String(ref.InBlock ? "block" : "drawing");
  if (ref.InBlock) json.Key("block").String(ref.Block);
  json.Key("text").String(ref.Text).Key("state").String(StateKey(ref.State));
  if (!ref.Path.empty()) json.Key("path").String(ref.Path);
  if (ref.State == ReferenceState::Tie) {
    json.Key("candidates").BeginArray();
    for (const std::string& c : ref.Candidates) json.String(c);
    json.EndArray();
  }
  if (!ref.Entry.empty()) {
    json.Key("entry").String(ref.Entry).Key("storedSize").Number(static_cast<std::int64_t>(ref.StoredSize));
    json.Key("gzip").Bool(ref.Packed).Key("unpackedSize");
    if (ref.State == ReferenceState::Embedded) {
      json.Number(static_cast<std::int64_t>(ref.UnpackedSize));
    } else {
      json.Null();
    }
  }
  json.EndObject();
}

}  // namespace

const char* PassedOverWords(const PassedOver& passed) {
  switch (passed.Why) {
    case PassedOver::Reason::Link: return "link, not followed";
    case PassedOver::Reason::Unreadable: return "folder cannot be read";
    default: return "passed over";
  }
}

const char* RefusedWords(RefusedInput::Reason why) {
  switch (why) {
    case RefusedInput::Reason::NoSuchDrawing: return "no such drawing file";
    case RefusedInput::Reason::NotADrawing: return "not a drawing file (.jww)";
    default: return "no drawing file (.jww) below the folder";
  }
}

const char* StateWords(ReferenceState state) {
  switch (state) {
    case ReferenceState::Found: return "found";
    case ReferenceState::FoundBySearch: return "found by search";
    case ReferenceState::Tie: return "missing: several files equally near";
    case ReferenceState::Missing: return "missing";
    case ReferenceState::Embedded: return "embedded";
    case ReferenceState::EmbeddedBroken: return "embedded, does not unpack";
    case ReferenceState::EmbeddedGone: return "embedded image gone";
    case ReferenceState::Disabled: return "disabled";
  }
  return "";
}

const char* StateKey(ReferenceState state) {
  switch (state) {
    case ReferenceState::Found: return "found";
    case ReferenceState::FoundBySearch: return "foundBySearch";
    case ReferenceState::Tie: return "tie";
    case ReferenceState::Missing: return "missing";
    case ReferenceState::Embedded: return "embedded";
    case ReferenceState::EmbeddedBroken: return "embeddedBroken";
    case ReferenceState::EmbeddedGone: return "embeddedGone";
    case ReferenceState::Disabled: return "disabled";
  }
  return "";
}

std::string CheckJson(const CheckResult& result) {
  report::JsonWriter json;
  json.BeginObject().Key("drawings").BeginArray(true);
  for (const CheckedDrawing& d : result.Drawings) {
    json.BeginObject().Key("file").String(d.Path).Key("readable").Bool(d.Readable);
    if (!d.Readable) {
      json.Key("problem").String(UnreadableWords(d)).EndObject();
      continue;
    }
    json.Key("version").Number(d.Version).Key("allResolve").Bool(!d.HasProblem());
    json.Key("imageReferences").BeginArray();
    for (const CheckedReference& ref : d.References) JsonReference(json, ref);
    json.EndArray().EndObject();
  }
  json.EndArray().Key("passedOver").BeginArray();
  for (const PassedOver& p : result.PassedOverPaths) {
    json.BeginObject().Key("path").String(platform::NativePathForDisplay(p.Path)).Key("why").String(PassedOverWords(p));
    json.EndObject();
  }
  json.EndArray().Key("refused").BeginArray();
  for (const RefusedInput& r : result.Refused) {
    json.BeginObject().Key("path").String(r.Path).Key("why").String(RefusedWords(r.Why)).EndObject();
  }
  const CheckTotals& t = result.Totals;
  json.EndArray().Key("totals").BeginObject();
  const std::pair<const char*, std::size_t> totals[] = {
      {"drawings", t.Drawings},   {"unreadable", t.Unreadable},       {"withProblems", t.WithProblems},
      {"references", t.References}, {"found", t.Found},               {"foundBySearch", t.FoundBySearch},
      {"missing", t.Missing},     {"embedded", t.Embedded},           {"disabled", t.Disabled}};
  for (const auto& [key, n] : totals) json.Key(key).Number(static_cast<std::int64_t>(n));
  json.EndObject().Key("allResolve").Bool(result.AllResolve()).EndObject();
  return json.Text() + "\n";
}

std::string CheckCsv(const CheckResult& result) {
  report::CsvWriter csv;
  csv.Row({"drawing", "version", "in", "block", "reference", "state", "path", "stored image", "unpacked size",
           "tied files"});
  for (const CheckedDrawing& d : result.Drawings) {
    if (!d.Readable) {
      csv.Row({d.Path, "", "", "", "", UnreadableWords(d), "", "", "", ""});
      continue;
    }
    for (const CheckedReference& ref : d.References) {
      std::string tied;
      for (const std::string& c : ref.Candidates) tied += (tied.empty() ? "" : "\n") + c;
      const bool whole = ref.State == ReferenceState::Embedded;
      csv.Row({d.Path, std::to_string(d.Version), ref.InBlock ? "block" : "drawing", ref.Block, ref.Text,
               StateWords(ref.State), ref.Path, ref.Entry, whole ? std::to_string(ref.UnpackedSize) : "", tied});
    }
  }
  return csv.Text();
}

namespace {

constexpr const char* kCss = R"(
body { font-family: sans-serif; margin: 24px; color: #1f2328; background: #ffffff; }
h1 { font-size: 22px; margin: 0 0 8px; }
h2 { font-size: 16px; margin: 0; word-break: break-all; }
.summary { font-size: 16px; margin: 0 0 12px; }
.totals { display: flex; flex-wrap: wrap; gap: 8px; margin: 0 0 20px; padding: 0; list-style: none; }
.totals li { border: 1px solid #d0d7de; border-radius: 6px; padding: 6px 12px; }
.totals b { font-size: 18px; margin-right: 4px; }
.passed { color: #57606a; }
section { border: 1px solid #d0d7de; border-radius: 8px; margin: 0 0 16px; padding: 12px 16px; }
section.problem { border-color: #cf222e; border-left-width: 6px; }
section.ok { border-left: 6px solid #1a7f37; }
.meta { color: #57606a; margin: 4px 0 8px; }
.picture { display: block; margin: 0 0 12px; }
.picture img { display: block; width: 100%; max-width: 960px; height: auto; max-height: 80vh; object-fit: contain;
  object-position: left top; border: 1px solid #d0d7de; }
.nopreview { display: inline-block; margin: 0 0 12px; padding: 24px 32px; border: 2px dashed #8c959f; color: #57606a; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
th.col-image { width: 132px; }
th.col-state { width: 190px; }
th.col-in { width: 130px; }
th, td { text-align: left; vertical-align: top; padding: 6px 8px; border-top: 1px solid #eaeef2; }
th { font-weight: normal; color: #57606a; font-size: 13px; }
.frame { display: block; width: 120px; height: 90px; border: 1px solid #d0d7de; background: #f6f8fa; }
.frame img { display: block; width: 120px; height: 90px; object-fit: contain; }
.frame.empty { border: 2px dashed #cf222e; width: 116px; height: 86px; background: #ffffff; }
.frame.stored { border: 1px solid #0f766e; background: #e0f2f1; }
.frame.off { border: 2px dashed #8c959f; width: 116px; height: 86px; background: #ffffff; }
.state { font-weight: bold; }
code { font-size: 13px; word-break: break-all; }
.path { word-break: break-all; margin-top: 4px; }
.tied { margin: 4px 0 0; padding-left: 18px; }
.found .state { color: #1a7f37; }
.foundBySearch .state { color: #0b5cad; }
.tie .state { color: #9a6700; }
.missing .state, .embeddedBroken .state, .embeddedGone .state { color: #cf222e; }
.embedded .state { color: #0f766e; }
.disabled .state { color: #6e7781; }
.mark { display: inline-block; font-size: 12px; padding: 1px 8px; border-radius: 10px; margin-right: 8px; color: #ffffff; }
.mark.problem { background: #cf222e; }
.mark.ok { background: #1a7f37; }
)";

void PageSummary(report::HtmlWriter& html, const CheckResult& result) {
  const CheckTotals& t = result.Totals;
  html.Open("header");
  html.Element("h1", {}, "Image check");
  std::string summary = Plural(t.Drawings, "drawing", "drawings") + " checked: ";
  const std::size_t missing = t.WithProblems - t.Unreadable;
  if (t.WithProblems == 0) summary += "every image is there";
  if (missing) summary += Plural(missing, "drawing", "drawings") + " with missing images";
  if (t.Unreadable) summary += (missing ? ", " : "") + std::to_string(t.Unreadable) + " cannot be read";
  html.Element("p", {{"class", "summary"}}, summary);
  html.Open("ul", {{"class", "totals"}});
  const std::pair<std::size_t, const char*> boxes[] = {
      {t.References, "image references"}, {t.Found, "found"},       {t.FoundBySearch, "found by search"},
      {t.Missing, "missing"},             {t.Embedded, "embedded"}, {t.Disabled, "disabled"}};
  for (const auto& [n, words] : boxes) {
    html.Open("li");
    html.Element("b", {}, std::to_string(n));
    html.Text(words);
    html.Close("li");
  }
  html.Close("ul");
  for (const RefusedInput& r : result.Refused) {
    html.Element("p", {{"class", "passed"}}, std::string(RefusedWords(r.Why)) + ": " + r.Path);
  }
  for (const PassedOver& p : result.PassedOverPaths) {
    html.Element("p", {{"class", "passed"}},
                 std::string(PassedOverWords(p)) + ": " + platform::NativePathForDisplay(p.Path));
  }
  html.Close("header");
}

void PageReference(report::HtmlWriter& html, const CheckedReference& ref, const PageOptions& options) {
  html.Open("tr", {{"class", StateKey(ref.State)}});
  html.Open("td", {{"class", "image"}});
  const bool shown = ref.State == ReferenceState::Found || ref.State == ReferenceState::FoundBySearch;
  if (shown) {
    const std::string url = report::UrlFrom(options.Folder, ref.Path);
    html.Open("a", {{"class", "frame"}, {"href", url}});
    html.Empty("img", {{"src", url}, {"alt", ""}, {"loading", "lazy"}});
    html.Close("a");
  } else if (ref.State == ReferenceState::Embedded) {
    html.Element("span", {{"class", "frame stored"}}, "");
  } else if (ref.State == ReferenceState::Disabled) {
    html.Element("span", {{"class", "frame off"}}, "");
  } else {
    html.Element("span", {{"class", "frame empty"}}, "");
  }
  html.Close("td");
  html.Element("td", {{"class", "state"}}, StateWords(ref.State));
  html.Open("td");
  html.Element("code", {}, ref.Text);
  if (!ref.Path.empty()) html.Element("div", {{"class", "path"}}, (shown ? "" : "looked for at ") + ref.Path);
  if (!ref.Entry.empty()) {
    std::string stored = "stored as " + ref.Entry + ", " + std::to_string(ref.StoredSize) + " bytes";
    if (ref.State == ReferenceState::Embedded && ref.Packed) {
      stored += ", " + std::to_string(ref.UnpackedSize) + " unpacked";
    }
    html.Element("div", {{"class", "path"}}, stored);
  }
  if (!ref.Candidates.empty()) {
    html.Open("ul", {{"class", "tied"}});
    for (const std::string& c : ref.Candidates) html.Element("li", {}, c);
    html.Close("ul");
  }
  html.Close("td");
  html.Element("td", {}, Where(ref));
  html.Close("tr");
}

// The drawing's preview, linked as the images are, or why there is none.
void PagePreview(report::HtmlWriter& html, const CheckedDrawing& d, const PageOptions& options) {
  if (!d.Preview.empty()) {
    const std::string url = report::UrlFrom(options.Folder, d.Preview);
    html.Open("a", {{"class", "picture"}, {"href", url}});
    html.Empty("img", {{"src", url}, {"alt", "preview of " + d.Path}, {"loading", "lazy"}});
    html.Close("a");
  } else if (!d.NoPreview.empty()) {
    html.Element("p", {{"class", "nopreview"}}, "no preview: " + d.NoPreview);
  }
}

void PageDrawing(report::HtmlWriter& html, const CheckedDrawing& d, const PageOptions& options) {
  const bool problem = d.HasProblem();
  html.Open("section", {{"class", problem ? "problem" : "ok"}});
  html.Open("h2");
  html.Element("span", {{"class", problem ? "mark problem" : "mark ok"}},
               !d.Readable ? "unreadable" : problem ? "missing images" : "complete");
  html.Text(d.Path);
  html.Close("h2");
  if (!d.Readable) {
    html.Element("p", {{"class", "meta"}}, UnreadableWords(d));
    PagePreview(html, d, options);
    html.Close("section");
    return;
  }
  html.Element("p", {{"class", "meta"}}, "version " + std::to_string(d.Version) + " \xC2\xB7 " + Counts(d));
  PagePreview(html, d, options);
  if (!d.References.empty()) {
    html.Open("table");
    html.Open("tr");
    for (const char* head : {"image", "state", "reference", "in"}) {
      html.Element("th", {{"class", std::string("col-") + head}}, head);
    }
    html.Close("tr");
    for (const CheckedReference& ref : d.References) PageReference(html, ref, options);
    html.Close("table");
  }
  html.Close("section");
}

}  // namespace

std::string CheckPage(const CheckResult& result, const PageOptions& options) {
  report::HtmlWriter html;
  html.Open("html", {{"lang", "ja"}});
  html.Open("head");
  html.Empty("meta", {{"charset", "utf-8"}});
  // no script runs and nothing outside is fetched, whatever a drawing holds; local images show
  html.Empty("meta", {{"http-equiv", "Content-Security-Policy"},
                      {"content", "default-src 'none'; img-src file: data: 'self'; style-src 'unsafe-inline'; "
                                  "base-uri 'none'; form-action 'none'"}});
  html.Empty("meta", {{"name", "referrer"}, {"content", "no-referrer"}});
  html.Element("title", {}, "Image check: " + Plural(result.Totals.Drawings, "drawing", "drawings") + ", " +
                                std::to_string(result.Totals.WithProblems) + " with problems");
  html.Style(kCss);
  html.Close("head");
  html.Open("body");
  PageSummary(html, result);
  for (const CheckedDrawing* d : ProblemsFirst(result)) PageDrawing(html, *d, options);
  html.Close("body");
  html.Close("html");
  return html.Page();
}

}  // namespace app
