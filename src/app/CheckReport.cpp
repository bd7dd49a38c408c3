#include "app/CheckReport.h"

#include <algorithm>

#include "platform/Platform.h"
#include "report/Csv.h"
#include "report/Html.h"
#include "report/Json.h"

namespace app {
namespace {

// The page's fixed texts in one language. A count reads before + n + after (one or many).
struct Noun {
  const char* before;
  const char* one;
  const char* many;
};

struct PageWords {
  const char* heading;
  Noun drawings;
  Noun references;
  const char* checked;                                 // after the count of drawings
  const char* allThere;
  const char* withMissingBefore, *withMissingAfter;    // around a count of drawings
  const char* unreadableBefore, *unreadableAfter;      // around a number
  const char* problemsBefore, *problemsAfter;          // around a number
  const char* comma;
  bool numberFirst;                                    // "3 found" rather than "found 3"
  const char* boxes[6];  // references, found, found by search, missing, embedded, disabled
  const char* states[8];  // in the order of ReferenceState
  const char* heads[4];   // image, state, reference, in
  const char* refused[3];     // in the order of RefusedInput::Reason
  const char* passedOver[3];  // link, unreadable folder, anything else
  const char* cannotBeRead;
  const char* marks[3];  // unreadable, missing images, complete
  const char* version;
  const char* inDrawing;
  const char* inBlock;
  const char* lookedFor;
  const char* storedAs;
  const char* bytes;
  const char* unpackedBefore, *unpackedAfter;
  const char* previewOf;  // a preview's alternative text, before the drawing's path
  const char* noPreview;  // before why a drawing has no preview
  const char* gaps[5];    // why, in the order of CheckedDrawing::PreviewGap after None
};

constexpr PageWords kEnglish = {
    "Image check",
    {"", " drawing", " drawings"},
    {"", " image reference", " image references"},
    " checked: ",
    "every image is there",
    "", " with missing images",
    "", " cannot be read",
    "", " with problems",
    ", ",
    true,
    {"image references", "found", "found by search", "missing", "embedded", "disabled"},
    {"found", "found by search", "missing: several files equally near", "missing", "embedded",
     "embedded, does not unpack", "embedded image gone", "disabled"},
    {"image", "state", "reference", "in"},
    {"no such drawing file", "not a drawing file (.jww)", "no drawing file (.jww) below the folder"},
    {"link, not followed", "folder cannot be read", "passed over"},
    "cannot be read",
    {"unreadable", "missing images", "complete"},
    "version ",
    "drawing",
    "block ",
    "looked for at ",
    "stored as ",
    " bytes",
    ", ", " unpacked",
    "preview of ",
    "no preview: ",
    {"too large to draw", "cannot be drawn", "the drawing cannot be read",
     "no folder for the previews can be made beside the report", "the picture cannot be written"},
};

constexpr PageWords kJapanese = {
    // 画像点検
    "\xE7\x94\xBB\xE5\x83\x8F\xE7\x82\xB9\xE6\xA4\x9C",
    // 図面  /  件 /  件
    {"\xE5\x9B\xB3\xE9\x9D\xA2 ", " \xE4\xBB\xB6", " \xE4\xBB\xB6"},
    // 画像参照  /  件 /  件
    {"\xE7\x94\xBB\xE5\x83\x8F\xE5\x8F\x82\xE7\x85\xA7 ", " \xE4\xBB\xB6", " \xE4\xBB\xB6"},
    // を点検: 
    "\xE3\x82\x92\xE7\x82\xB9\xE6\xA4\x9C: ",
    // すべての画像があります
    "\xE3\x81\x99\xE3\x81\xB9\xE3\x81\xA6\xE3\x81\xAE\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\x8C\xE3\x81\x82"
    "\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x99",
    // 画像が見つからない
    "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\x8C\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAA\xE3\x81\x84", "",
    // 読めない図面  /  件
    "\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xAA\xE3\x81\x84\xE5\x9B\xB3\xE9\x9D\xA2 ", " \xE4\xBB\xB6",
    // 問題あり  /  件
    "\xE5\x95\x8F\xE9\xA1\x8C\xE3\x81\x82\xE3\x82\x8A ", " \xE4\xBB\xB6",
    // 、
    "\xE3\x80\x81",
    false,
    // 画像参照 / 見つかった / 探して見つかった / 見つからない / 同梱 / 無効
    {"\xE7\x94\xBB\xE5\x83\x8F\xE5\x8F\x82\xE7\x85\xA7",
     "\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x81\xA3\xE3\x81\x9F",
     "\xE6\x8E\xA2\xE3\x81\x97\xE3\x81\xA6\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x81\xA3\xE3\x81\x9F",
     "\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAA\xE3\x81\x84",
     "\xE5\x90\x8C\xE6\xA2\xB1",
     "\xE7\x84\xA1\xE5\x8A\xB9"},
    // 見つかった / 探して見つかった / 見つからない: 同じ近さのファイルが複数 / 見つからない / 同梱
    {"\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x81\xA3\xE3\x81\x9F",
     "\xE6\x8E\xA2\xE3\x81\x97\xE3\x81\xA6\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x81\xA3\xE3\x81\x9F",
     "\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAA\xE3\x81\x84: \xE5\x90\x8C"
     "\xE3\x81\x98\xE8\xBF\x91\xE3\x81\x95\xE3\x81\xAE\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB"
     "\xE3\x81\x8C\xE8\xA4\x87\xE6\x95\xB0",
     "\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAA\xE3\x81\x84",
     "\xE5\x90\x8C\xE6\xA2\xB1",
     // 同梱, 展開できない / 同梱画像がない / 無効
     "\xE5\x90\x8C\xE6\xA2\xB1, \xE5\xB1\x95\xE9\x96\x8B\xE3\x81\xA7\xE3\x81\x8D\xE3\x81\xAA\xE3\x81\x84",
     "\xE5\x90\x8C\xE6\xA2\xB1\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\x8C\xE3\x81\xAA\xE3\x81\x84",
     "\xE7\x84\xA1\xE5\x8A\xB9"},
    // 画像 / 状態 / 参照 / 場所
    {"\xE7\x94\xBB\xE5\x83\x8F", "\xE7\x8A\xB6\xE6\x85\x8B", "\xE5\x8F\x82\xE7\x85\xA7", "\xE5\xA0\xB4\xE6\x89\x80"},
    // 図面ファイルがありません / 図面ファイル (.jww) ではありません / フォルダの下に図面ファイル (.jww) がありません
    {"\xE5\x9B\xB3\xE9\x9D\xA2\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB\xE3\x81\x8C\xE3\x81\x82"
     "\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE5\x9B\xB3\xE9\x9D\xA2\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB (.jww) \xE3\x81\xA7"
     "\xE3\x81\xAF\xE3\x81\x82\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80\xE3\x81\xAE\xE4\xB8\x8B\xE3\x81\xAB\xE5\x9B\xB3"
     "\xE9\x9D\xA2\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB (.jww) \xE3\x81\x8C\xE3\x81\x82"
     "\xE3\x82\x8A\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93"},
    // リンクのため辿りません / フォルダを読めません / 除外
    {"\xE3\x83\xAA\xE3\x83\xB3\xE3\x82\xAF\xE3\x81\xAE\xE3\x81\x9F\xE3\x82\x81\xE8\xBE\xBF\xE3\x82\x8A"
     "\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80\xE3\x82\x92\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xBE"
     "\xE3\x81\x9B\xE3\x82\x93",
     "\xE9\x99\xA4\xE5\xA4\x96"},
    // 読めません
    "\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
    // 読めない / 画像が見つからない / 完全
    {"\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xAA\xE3\x81\x84",
     "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\x8C\xE8\xA6\x8B\xE3\x81\xA4\xE3\x81\x8B\xE3\x82\x89\xE3\x81\xAA\xE3\x81\x84",
     "\xE5\xAE\x8C\xE5\x85\xA8"},
    // バージョン 
    "\xE3\x83\x90\xE3\x83\xBC\xE3\x82\xB8\xE3\x83\xA7\xE3\x83\xB3 ",
    // 図面
    "\xE5\x9B\xB3\xE9\x9D\xA2",
    // ブロック 
    "\xE3\x83\x96\xE3\x83\xAD\xE3\x83\x83\xE3\x82\xAF ",
    // 探した場所: 
    "\xE6\x8E\xA2\xE3\x81\x97\xE3\x81\x9F\xE5\xA0\xB4\xE6\x89\x80: ",
    // 同梱名 
    "\xE5\x90\x8C\xE6\xA2\xB1\xE5\x90\x8D ",
    //  バイト
    " \xE3\x83\x90\xE3\x82\xA4\xE3\x83\x88",
    // 、展開後  /  バイト
    "\xE3\x80\x81\xE5\xB1\x95\xE9\x96\x8B\xE5\xBE\x8C ", " \xE3\x83\x90\xE3\x82\xA4\xE3\x83\x88",
    // プレビュー: 
    "\xE3\x83\x97\xE3\x83\xAC\xE3\x83\x93\xE3\x83\xA5\xE3\x83\xBC: ",
    // プレビューなし: 
    "\xE3\x83\x97\xE3\x83\xAC\xE3\x83\x93\xE3\x83\xA5\xE3\x83\xBC\xE3\x81\xAA\xE3\x81\x97: ",
    // 大きすぎて描けません / 描けません / 図面を読めません /
    // レポートの横にプレビューのフォルダを作れません / プレビューを書き込めません
    {"\xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x99\xE3\x81\x8E\xE3\x81\xA6\xE6\x8F\x8F\xE3\x81\x91\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE6\x8F\x8F\xE3\x81\x91\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE5\x9B\xB3\xE9\x9D\xA2\xE3\x82\x92\xE8\xAA\xAD\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE3\x83\xAC\xE3\x83\x9D\xE3\x83\xBC\xE3\x83\x88\xE3\x81\xAE\xE6\xA8\xAA\xE3\x81\xAB\xE3\x83\x97\xE3\x83\xAC"
     "\xE3\x83\x93\xE3\x83\xA5\xE3\x83\xBC\xE3\x81\xAE\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80\xE3\x82\x92\xE4\xBD\x9C\xE3\x82\x8C\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
     "\xE3\x83\x97\xE3\x83\xAC\xE3\x83\x93\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\x92\xE6\x9B\xB8\xE3\x81\x8D\xE8\xBE\xBC\xE3\x82\x81\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93"},
};

const PageWords& WordsOf(const PageOptions& options) {
  return options.Language == PageLanguage::Japanese ? kJapanese : kEnglish;
}

std::string Count(std::size_t n, const Noun& noun) {
  return noun.before + std::to_string(n) + (n == 1 ? noun.one : noun.many);
}

const char* PassedOverWords(const PassedOver& passed, const PageWords& w) {
  switch (passed.Why) {
    case PassedOver::Reason::Link: return w.passedOver[0];
    case PassedOver::Reason::Unreadable: return w.passedOver[1];
    default: return w.passedOver[2];
  }
}

std::string UnreadableWords(const CheckedDrawing& drawing, const PageWords& w) {
  return drawing.Problem.empty() ? w.cannotBeRead : w.cannotBeRead + (": " + drawing.Problem);
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
  return PassedOverWords(passed, kEnglish);
}

const char* RefusedWords(RefusedInput::Reason why) {
  return kEnglish.refused[static_cast<int>(why)];
}

const char* StateWords(ReferenceState state) {
  return kEnglish.states[static_cast<int>(state)];
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

std::vector<std::string> CheckLines(const CheckedDrawing& d) {
  auto counted = [](std::size_t n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
  };
  if (!d.Readable) return {d.Path + ": cannot be read" + (d.Problem.empty() ? "" : ": " + d.Problem)};
  CheckTotals t;
  t.Add(d);
  std::vector<std::string> lines{d.Path + ": version " + std::to_string(d.Version) + ", " +
                                 counted(t.References, "image reference") + ": " +
                                 std::to_string(t.Found + t.FoundBySearch) + " found, " + std::to_string(t.Missing) +
                                 " missing, " + std::to_string(t.Embedded) + " embedded"};
  for (const CheckedReference& ref : d.References) {
    if (ref.State == ReferenceState::Found || ref.State == ReferenceState::Embedded) continue;
    std::string line = "  " + std::string(StateWords(ref.State)) + " " +
                       (ref.InBlock ? "[block " + ref.Block + "]" : "[drawing]") + " " + ref.Text;
    if (!ref.Path.empty()) line += " -> " + ref.Path;
    for (std::size_t i = 0; i < ref.Candidates.size(); ++i) line += (i ? ", " : "; tied: ") + ref.Candidates[i];
    lines.push_back(line);
  }
  return lines;
}

std::string CheckTotalsLine(const CheckTotals& t) {
  auto counted = [](std::size_t n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
  };
  return "totals: " + counted(t.Drawings, "drawing") + ", " + counted(t.References, "image reference") + ", " +
         std::to_string(t.Found + t.FoundBySearch) + " found (" + std::to_string(t.FoundBySearch) + " by search), " +
         std::to_string(t.Missing) + " missing, " + std::to_string(t.Embedded) + " embedded, " +
         std::to_string(t.Disabled) + " disabled, " + counted(t.Unreadable, "unreadable drawing");
}

std::string CheckJson(const CheckResult& result) {
  report::JsonWriter json;
  json.BeginObject().Key("drawings").BeginArray(true);
  for (const CheckedDrawing& d : result.Drawings) {
    json.BeginObject().Key("file").String(d.Path).Key("readable").Bool(d.Readable);
    if (!d.Readable) {
      json.Key("problem").String(UnreadableWords(d, kEnglish)).EndObject();
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
      csv.Row({d.Path, "", "", "", "", UnreadableWords(d, kEnglish), "", "", "", ""});
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

// "6 image references: 3 found, 1 missing, ..." for one drawing.
std::string Counts(const CheckedDrawing& drawing, const PageWords& w) {
  CheckTotals t;
  t.Add(drawing);
  const std::string out = Count(t.References, w.references);
  std::string parts;
  const std::size_t counts[] = {t.Found, t.FoundBySearch, t.Missing, t.Embedded, t.Disabled};
  for (std::size_t i = 0; i < std::size(counts); ++i) {
    if (!counts[i]) continue;
    const std::string n = std::to_string(counts[i]);
    const std::string words = w.boxes[i + 1];
    parts += (parts.empty() ? "" : w.comma) + (w.numberFirst ? n + " " + words : words + " " + n);
  }
  return parts.empty() ? out : out + ": " + parts;
}

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

void PageSummary(report::HtmlWriter& html, const CheckResult& result, const PageWords& w) {
  const CheckTotals& t = result.Totals;
  html.Open("header");
  html.Element("h1", {}, w.heading);
  std::string summary = Count(t.Drawings, w.drawings) + w.checked;
  const std::size_t missing = t.WithProblems - t.Unreadable;
  if (t.WithProblems == 0) summary += w.allThere;
  if (missing) summary += w.withMissingBefore + Count(missing, w.drawings) + w.withMissingAfter;
  if (t.Unreadable) {
    summary += (missing ? w.comma : "") + (w.unreadableBefore + std::to_string(t.Unreadable)) + w.unreadableAfter;
  }
  html.Element("p", {{"class", "summary"}}, summary);
  html.Open("ul", {{"class", "totals"}});
  const std::size_t boxes[] = {t.References, t.Found, t.FoundBySearch, t.Missing, t.Embedded, t.Disabled};
  for (std::size_t i = 0; i < std::size(boxes); ++i) {
    html.Open("li");
    html.Element("b", {}, std::to_string(boxes[i]));
    html.Text(w.boxes[i]);
    html.Close("li");
  }
  html.Close("ul");
  for (const RefusedInput& r : result.Refused) {
    html.Element("p", {{"class", "passed"}}, std::string(w.refused[static_cast<int>(r.Why)]) + ": " + r.Path);
  }
  for (const PassedOver& p : result.PassedOverPaths) {
    html.Element("p", {{"class", "passed"}},
                 std::string(PassedOverWords(p, w)) + ": " + platform::NativePathForDisplay(p.Path));
  }
  html.Close("header");
}

void PageReference(report::HtmlWriter& html, const CheckedReference& ref, const PageOptions& options) {
  const PageWords& w = WordsOf(options);
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
  html.Element("td", {{"class", "state"}}, w.states[static_cast<int>(ref.State)]);
  html.Open("td");
  html.Element("code", {}, ref.Text);
  if (!ref.Path.empty()) html.Element("div", {{"class", "path"}}, (shown ? "" : w.lookedFor) + ref.Path);
  if (!ref.Entry.empty()) {
    std::string stored = w.storedAs + ref.Entry + w.comma + std::to_string(ref.StoredSize) + w.bytes;
    if (ref.State == ReferenceState::Embedded && ref.Packed) {
      stored += w.unpackedBefore + std::to_string(ref.UnpackedSize) + w.unpackedAfter;
    }
    html.Element("div", {{"class", "path"}}, stored);
  }
  if (!ref.Candidates.empty()) {
    html.Open("ul", {{"class", "tied"}});
    for (const std::string& c : ref.Candidates) html.Element("li", {}, c);
    html.Close("ul");
  }
  html.Close("td");
  html.Element("td", {}, ref.InBlock ? w.inBlock + ref.Block : std::string(w.inDrawing));
  html.Close("tr");
}

// The drawing's preview, linked as the images are, or why there is none.
void PagePreview(report::HtmlWriter& html, const CheckedDrawing& d, const PageOptions& options, const PageWords& w) {
  if (!d.Preview.empty()) {
    const std::string url = report::UrlFrom(options.Folder, d.Preview);
    html.Open("a", {{"class", "picture"}, {"href", url}});
    html.Empty("img", {{"src", url}, {"alt", w.previewOf + d.Path}, {"loading", "lazy"}});
    html.Close("a");
  } else if (d.NoPreview != CheckedDrawing::PreviewGap::None) {
    html.Element("p", {{"class", "nopreview"}}, std::string(w.noPreview) + w.gaps[static_cast<int>(d.NoPreview) - 1]);
  }
}

void PageDrawing(report::HtmlWriter& html, const CheckedDrawing& d, const PageOptions& options) {
  const PageWords& w = WordsOf(options);
  const bool problem = d.HasProblem();
  html.Open("section", {{"class", problem ? "problem" : "ok"}});
  html.Open("h2");
  html.Element("span", {{"class", problem ? "mark problem" : "mark ok"}},
               !d.Readable ? w.marks[0] : problem ? w.marks[1] : w.marks[2]);
  html.Text(d.Path);
  html.Close("h2");
  if (!d.Readable) {
    html.Element("p", {{"class", "meta"}}, UnreadableWords(d, w));
    PagePreview(html, d, options, w);
    html.Close("section");
    return;
  }
  html.Element("p", {{"class", "meta"}}, w.version + std::to_string(d.Version) + " \xC2\xB7 " + Counts(d, w));
  PagePreview(html, d, options, w);
  if (!d.References.empty()) {
    html.Open("table");
    html.Open("tr");
    const char* columns[] = {"image", "state", "reference", "in"};
    for (std::size_t i = 0; i < std::size(columns); ++i) {
      html.Element("th", {{"class", std::string("col-") + columns[i]}}, w.heads[i]);
    }
    html.Close("tr");
    for (const CheckedReference& ref : d.References) PageReference(html, ref, options);
    html.Close("table");
  }
  html.Close("section");
}

}  // namespace

std::string CheckPage(const CheckResult& result, const PageOptions& options) {
  const PageWords& w = WordsOf(options);
  report::HtmlWriter html;
  html.Open("html", {{"lang", "ja"}});
  html.Open("head");
  html.Empty("meta", {{"charset", "utf-8"}});
  // no script runs and nothing outside is fetched, whatever a drawing holds; local images show
  html.Empty("meta", {{"http-equiv", "Content-Security-Policy"},
                      {"content", "default-src 'none'; img-src file: data: 'self'; style-src 'unsafe-inline'; "
                                  "base-uri 'none'; form-action 'none'"}});
  html.Empty("meta", {{"name", "referrer"}, {"content", "no-referrer"}});
  html.Element("title", {}, w.heading + (": " + Count(result.Totals.Drawings, w.drawings)) + w.comma +
                                w.problemsBefore + std::to_string(result.Totals.WithProblems) + w.problemsAfter);
  html.Style(kCss);
  html.Close("head");
  html.Open("body");
  PageSummary(html, result, w);
  for (const CheckedDrawing* d : ProblemsFirst(result)) PageDrawing(html, *d, options);
  html.Close("body");
  html.Close("html");
  return html.Page();
}

}  // namespace app
