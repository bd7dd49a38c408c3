// inspect: what a drawing holds, its block definitions, embedded images and image
// references. Nothing is written: embedded images are not extracted.
#include <string>
#include <vector>

#include "app/CheckReport.h"
#include "app/ImageReferenceList.h"
#include "app/SearchIndex.h"
#include "cli/Commands.h"
#include "jww/DrawingDocument.h"
#include "jww/ImageReference.h"
#include "platform/Platform.h"
#include "relocation/ImageSearch.h"
#include "report/Json.h"
#include "text/ShiftJis.h"

namespace cli {
namespace {

using app::Shown;
using report::JsonString;

const char* KindName(jww::ReferenceKind k) {
  switch (k) {
    case jww::ReferenceKind::Embedded: return "embedded";
    case jww::ReferenceKind::Image: return "image";
    case jww::ReferenceKind::Disabled: return "disabled";
    default: return "none";
  }
}

// "drawing" or the block definition's name, as the report shows where a reference is.
std::string Owner(const app::ListedReference& r) { return r.InBlock ? "block " + r.Block : "drawing"; }

// Block inserts of one list whose number no definition has; the save leaves them out.
struct Dangling {
  std::string owner;  // "drawing" or the block definition's name
  std::vector<std::int32_t> numbers;
};

std::vector<Dangling> CollectDangling(const jww::TJwwData& d) {
  std::vector<Dangling> lists;
  auto collect = [&lists, &d](const jww::EntityList& list, const std::string& owner) {
    Dangling found{owner, {}};
    for (const jww::TEntJwwBlock& b : list.Blocks) {
      if (d.FindBlockDef(b.Number) < 0) found.numbers.push_back(b.Number);
    }
    if (!found.numbers.empty()) lists.push_back(std::move(found));
  };
  collect(d, "drawing");
  for (const jww::TEntJwwBlockDef& def : d.BlockDefs) collect(def, "block " + Shown(def.Name));
  return lists;
}

std::string Numbers(const std::vector<std::int32_t>& numbers, const char* separator) {
  std::string out;
  for (std::size_t i = 0; i < numbers.size(); ++i) out += (i ? separator : "") + std::to_string(numbers[i]);
  return out;
}

std::string Counts(const jww::EntityList& l, bool json) {
  const std::pair<const char*, std::size_t> rows[] = {
      {"lines", l.Lines.size()}, {"arcs", l.Arcs.size()},     {"points", l.Points.size()},
      {"texts", l.Texts.size()}, {"dimensions", l.Dims.size()}, {"solids", l.Solids.size()},
      {"blocks", l.Blocks.size()},
  };
  std::string out;
  for (const auto& [name, n] : rows) {
    if (!out.empty()) out += json ? ", " : " ";
    if (json) {
      out.append("\"").append(name).append("\": ");
    } else {
      out.append(name).append(" ");
    }
    out.append(std::to_string(n));
  }
  return out;
}

// The embedded image an embedded reference names, as the text report shows it.
std::string EntryShown(const jww::TJwwData& d, std::int32_t entry) {
  if (entry < 0) return "(no such embedded image)";
  return Shown(d.Images.EmbeddedImages()[static_cast<std::size_t>(entry)].Name);
}

// What the search would use for a missing image, as the text report shows it; "" when
// there is nothing to tell.
std::string SearchShown(const app::ListedReference& r) {
  switch (r.Search) {
    case relocation::SearchOutcome::Kind::Found: return "      search would use " + r.File;
    case relocation::SearchOutcome::Kind::Tie: {
      std::string line = "      search: " + std::to_string(r.Candidates.size()) + " files equally near, none used:";
      for (std::size_t i = 0; i < r.Candidates.size(); ++i) line += (i ? ", " : " ") + r.Candidates[i];
      return line;
    }
    default: return "";
  }
}

// The drawing's path the references are resolved against: as given, or whole when the
// search looks near the drawing, which needs the folders above it.
std::string DrawingPath(const platform::Argument& file, const relocation::ImageSearch& search) {
  return search.Options().Active() ? FullPath(file.sjis) : file.sjis;
}

void PrintText(const platform::Argument& file, const jww::TJwwData& d, const app::ImageContents& contents,
               const relocation::ImageSearch& search) {
  Out(file.display);
  Out("  version " + std::to_string(d.Header.Version));
  Out("  entities " + std::to_string(d.HeldCount()) + ": " + Counts(d, false));
  Out("  block definitions " + std::to_string(d.BlockDefs.size()) + " (" + std::to_string(d.ReferencedBlockCount) +
      " used)");
  for (const jww::TEntJwwBlockDef& def : d.BlockDefs) {
    Out("    " + std::to_string(def.Number) + " " + Shown(def.Name) + (def.Used ? " (used)" : " (unused)") + ": " +
        Counts(def, false));
  }
  const std::vector<Dangling> dangling = CollectDangling(d);
  std::size_t danglingCount = 0;
  for (const Dangling& list : dangling) danglingCount += list.numbers.size();
  Out("  dangling block inserts " + std::to_string(danglingCount) + " (not written)");
  for (const Dangling& list : dangling) {
    Out("    [" + list.owner + "] " + std::to_string(list.numbers.size()) + ": " + Numbers(list.numbers, " "));
  }
  Out("  embedded images " + std::to_string(d.Images.EmbeddedImages().size()));
  for (std::size_t i = 0; i < d.Images.EmbeddedImages().size(); ++i) {
    const jww::TBindImageType& image = d.Images.EmbeddedImages()[i];
    const std::string unpacked = contents.Unpacked(i);
    Out("    " + Shown(image.Name) + " " + std::to_string(image.Size) + " bytes" +
        (unpacked.empty() ? " (stored as it is)" : ", unpacked " + unpacked));
  }
  const std::vector<app::ListedReference> refs = app::ListImageReferences(d, DrawingPath(file, search), &search);
  Out("  image references " + std::to_string(refs.size()));
  for (const app::ListedReference& r : refs) {
    Out("    [" + Owner(r) + "] " + KindName(r.Kind) + " " + r.Text);
    if (r.Kind == jww::ReferenceKind::Image) {
      Out("      -> " + r.Resolved + (r.Exists ? " (found)" : " (missing)"));
      if (const std::string searched = SearchShown(r); !searched.empty()) Out(searched);
    }
    if (r.Kind == jww::ReferenceKind::Embedded) Out("      -> " + EntryShown(d, r.Entry));
  }
}

void PrintJson(const platform::Argument& file, const jww::TJwwData& d, const app::ImageContents& contents,
               const relocation::ImageSearch& search, bool last) {
  std::string out = "  {\"file\": " + JsonString(file.display) + ", \"version\": " + std::to_string(d.Header.Version);
  out += ", \"entities\": {" + Counts(d, true) + "}";
  out += ", \"blockDefinitions\": [";
  for (std::size_t i = 0; i < d.BlockDefs.size(); ++i) {
    const jww::TEntJwwBlockDef& def = d.BlockDefs[i];
    out += (i ? ", " : "") + std::string("{\"number\": ") + std::to_string(def.Number) +
           ", \"name\": " + JsonString(Shown(def.Name)) + ", \"used\": " + (def.Used ? "true" : "false") +
           ", \"entities\": {" + Counts(def, true) + "}}";
  }
  out += "], \"danglingInserts\": [";
  const std::vector<Dangling> dangling = CollectDangling(d);
  for (std::size_t i = 0; i < dangling.size(); ++i) {
    out += (i ? ", " : "") + std::string("{\"in\": ") + JsonString(dangling[i].owner) +
           ", \"count\": " + std::to_string(dangling[i].numbers.size()) + ", \"numbers\": [" +
           Numbers(dangling[i].numbers, ", ") + "]}";
  }
  out += "], \"embeddedImages\": [";
  for (std::size_t i = 0; i < d.Images.EmbeddedImages().size(); ++i) {
    const jww::TBindImageType& image = d.Images.EmbeddedImages()[i];
    const std::string unpacked = contents.Unpacked(i);
    const bool number = !unpacked.empty() && unpacked.find_first_not_of("0123456789") == std::string::npos;
    out += (i ? ", " : "") + std::string("{\"name\": ") + JsonString(Shown(image.Name)) +
           ", \"size\": " + std::to_string(image.Size) + ", \"gzip\": " + (unpacked.empty() ? "false" : "true") +
           ", \"unpackedSize\": " + (number ? unpacked : "null") +
           (unpacked.empty() || number ? "" : ", \"problem\": " + JsonString(unpacked)) + "}";
  }
  out += "], \"imageReferences\": [";
  const std::vector<app::ListedReference> refs = app::ListImageReferences(d, DrawingPath(file, search), &search);
  for (std::size_t i = 0; i < refs.size(); ++i) {
    out += (i ? ", " : "") + std::string("{\"in\": ") + JsonString(Owner(refs[i])) +
           ", \"kind\": \"" + KindName(refs[i].Kind) + "\", \"text\": " + JsonString(refs[i].Text);
    if (refs[i].Kind == jww::ReferenceKind::Image) {
      out += ", \"resolvedPath\": " + JsonString(refs[i].Resolved) + ", \"exists\": " + (refs[i].Exists ? "true" : "false");
      // with a search, what it would use for a missing image: a file, a tie, or nothing
      if (search.Options().Active() && !refs[i].Exists) {
        switch (refs[i].Search) {
          case relocation::SearchOutcome::Kind::Found:
            out += ", \"search\": \"found\", \"searchFile\": " + JsonString(refs[i].File);
            break;
          case relocation::SearchOutcome::Kind::Tie:
            out += ", \"search\": \"tie\", \"candidates\": [";
            for (std::size_t c = 0; c < refs[i].Candidates.size(); ++c) {
              out += (c ? ", " : "") + JsonString(refs[i].Candidates[c]);
            }
            out += "]";
            break;
          default: out += ", \"search\": \"notFound\""; break;
        }
      }
    }
    if (refs[i].Kind == jww::ReferenceKind::Embedded) {
      out += ", \"embeddedImage\": " + (refs[i].Entry < 0 ? std::string("null") : std::to_string(refs[i].Entry));
    }
    out += "}";
  }
  out += "]}";
  Out(out + (last ? "" : ","));
}

}  // namespace

int Inspect(const std::vector<platform::Argument>& args) {
  bool json = false;
  relocation::SearchOptions searchOptions;
  std::vector<platform::Argument> files;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const platform::Argument& a = args[i];
    if (a.display == "--json") {
      json = true;
    } else if (a.display == "--search-near") {
      searchOptions.Near = true;
    } else if (a.display == "--search") {
      std::string folder;
      if (!TakeSearchFolder(args, i, folder)) return kUsage;
      searchOptions.Folders.push_back(folder);
    } else if (a.display.starts_with("--")) {
      Complain("unknown option for inspect: " + a.display);
      return kUsage;
    } else {
      files.push_back(a);
    }
  }
  if (files.empty()) {
    Complain("inspect needs at least one drawing");
    return kUsage;
  }
  // the search folders are indexed once for all the drawings
  relocation::ImageSearch search(searchOptions);
  std::vector<app::PassedOver> passedOver;
  app::IndexSearchFolders(search, passedOver);
  for (const app::PassedOver& p : passedOver) {
    Complain(std::string(app::PassedOverWords(p)) + ": " + platform::NativePathForDisplay(p.Path));
  }
  int status = kOk;
  if (json) Out("[");
  for (std::size_t i = 0; i < files.size(); ++i) {
    jww::TJwwData drawing;
    app::ImageContents contents(drawing);
    drawing.OnImageBytes = [&contents](std::size_t index, const unsigned char* data, std::size_t size) {
      contents.Take(index, data, size);
    };
    const std::string problem = PathProblem(files[i]);
    const jww::LoadResult load = problem.empty() ? drawing.Load(files[i].sjis) : jww::LoadResult{};
    contents.Close();
    if (!load.ok) {
      // why the drawing could not be read, and at which byte
      const std::string where = problem.empty() ? load.reason + " at offset " + std::to_string(load.offset) : "";
      Complain((problem.empty() ? "cannot read the drawing" : problem) + ": " + files[i].display +
               (where.empty() ? "" : ": " + where));
      status = kFailed;
      if (json) {
        Out("  {\"file\": " + JsonString(files[i].display) + ", \"error\": " +
            JsonString(problem.empty() ? "cannot read" : problem) +
            (problem.empty() ? ", \"reason\": " + JsonString(load.reason) + ", \"offset\": " + std::to_string(load.offset)
                             : "") +
            "}" + (i + 1 == files.size() ? "" : ","));
      }
      continue;
    }
    if (json) {
      PrintJson(files[i], drawing, contents, search, i + 1 == files.size());
    } else {
      PrintText(files[i], drawing, contents, search);
    }
  }
  if (json) Out("]");
  return status;
}

}  // namespace cli
