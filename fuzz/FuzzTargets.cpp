#include "FuzzTargets.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "exchange/ExchangeFile.h"
#include "jww/DrawingDocument.h"
#include "platform/Platform.h"
#include "relocation/ImageRelocation.h"
#include "render/Preview.h"
#include "text/ShiftJis.h"

namespace fuzz {
namespace {

// A promise that did not hold; the target reports it.
struct BrokenPromise {};

void Check(bool promise) {
  if (!promise) throw BrokenPromise{};
}

// Runs a target's body: 0 when every promise held, 1 when one broke.
template <class Body>
int Guarded(Body body) {
  try {
    body();
    return 0;
  } catch (const BrokenPromise&) {
    return 1;
  }
}

// A scratch folder of the target's own, so that targets fuzzed side by side never meet
// in it (an extracted image may well be called "saved.dat").
std::string Scratch(const char* target) {
  const std::string path = platform::UserTempFolder() + "quorvane-fuzz-" + target + "\\";
  platform::MakeFolder(path);
  return path;
}

// Deletes what a document extracted into its scratch folder.
void Forget(jww::TJwwData& d) {
  d.DeleteExtractedFiles();
  d.DeleteUnpackedFiles();
}

// The start of every character of s.
std::vector<std::size_t> CharStarts(const std::string& s) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < s.size(); i += text::IsLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1) {
    starts.push_back(i);
  }
  return starts;
}

bool StartsAChar(const std::string& s, std::size_t at) {
  if (at >= s.size()) return at == s.size() || at == s.size() + 1;
  for (std::size_t start : CharStarts(s)) {
    if (start == at) return true;
  }
  return false;
}

}  // namespace

int FuzzLoad(const std::uint8_t* data, std::size_t size) {
  static const std::string scratch = Scratch("load");
  jww::TJwwData d;
  d.Images.SetTempFolder(scratch);
  d.LoadFromMemory(data, size);
  Forget(d);
  return 0;
}

int FuzzRoundTrip(const std::uint8_t* data, std::size_t size) {
  static const std::string scratch = Scratch("roundtrip");
  jww::TJwwData d;
  d.Images.SetTempFolder(scratch);
  const int status = Guarded([&] {
    if (!d.LoadFromMemory(data, size)) return;
    const bool hasImages = !d.Images.EmbeddedImages().empty();
    std::vector<unsigned char> first;
    const bool saved = d.SaveToMemory(first, 700);
    // only a referenced embedded image that never reached the scratch folder may stop it
    Check(saved || hasImages);
    if (saved) {
      // the saved file loads with every entity; saving once more changes nothing further
      // (the first save may still drop what only unused block definitions referred to)
      jww::TJwwData again;
      again.Images.SetTempFolder(scratch);
      Check(again.LoadFromMemory(first.data(), first.size()));
      Check(again.HeldCount() == d.HeldCount());
      std::vector<unsigned char> second;
      Check(again.SaveToMemory(second, 700));
      jww::TJwwData third;
      third.Images.SetTempFolder(scratch);
      Check(third.LoadFromMemory(second.data(), second.size()));
      std::vector<unsigned char> last;
      Check(third.SaveToMemory(last, 700));
      Check(second == last);
      const bool dropsDefinitions = d.ReferencedBlockCount != static_cast<std::int32_t>(d.BlockDefs.size());
      if (!dropsDefinitions || !hasImages) Check(first == second);
    }
  });
  Forget(d);
  return status;
}

int FuzzExchange(const std::uint8_t* data, std::size_t size) {
  exchange::ExchangeReader reader;
  std::string line;
  for (std::size_t i = 0; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      reader.ParseExchangeLine(line);
      line.clear();
    } else {
      line.push_back(static_cast<char>(data[i]));
    }
  }
  reader.FreeExchangeData();
  return 0;
}

namespace {

// What the text helpers promise for any bytes.
void TextPromises(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return;
  const int n = static_cast<signed char>(data[0]);
  const int m = static_cast<signed char>(data[1]);
  const std::string s(reinterpret_cast<const char*>(data + 2), size - 2);

  const std::string cleaned = text::CleanJwwText(s);
  Check(text::CleanJwwText(cleaned) == cleaned);
  const std::string plain = text::RemoveControlChars(s);
  Check(text::RemoveControlChars(plain) == plain);
  Check(text::RemoveBlanks(text::RemoveBlanks(s)) == text::RemoveBlanks(s));
  Check(text::UpperCase(s).size() == s.size());
  Check(text::UpperCase(text::UpperCase(s)) == text::UpperCase(s));

  // pieces are whole characters of the string, never a split one
  const std::string right = text::RightBytes(s, n);
  Check(right.size() <= s.size() && s.compare(s.size() - right.size(), right.size(), right) == 0);
  Check(right.empty() || StartsAChar(s, s.size() - right.size()));
  int taken = -1;
  const std::string mid = text::MidBytes(s, n, m, taken);
  Check(taken == static_cast<int>(mid.size()));
  if (!mid.empty()) {
    std::size_t first = 0;
    for (std::size_t start : CharStarts(s)) {
      if (start + 1 >= static_cast<std::size_t>(n)) {
        first = start;
        break;
      }
    }
    Check(s.compare(first, mid.size(), mid) == 0);
    Check(StartsAChar(s, first + mid.size()));
  }
  Check(text::CharCopy(s, 1, text::CharCount(s)) == s);
  const std::size_t sep = text::LastSeparator(s);
  Check(sep == std::string::npos || StartsAChar(s, sep));
  Check(text::ExtractFilePath(s) + text::ExtractFileName(s) == s);
  const std::string folder = text::IncludeTrailingBackslash(s);
  Check(text::RightBytes(folder, 1) == "\\" || !StartsAChar(folder, folder.size() - 1));
  (void)text::TextToInt(s);
  (void)text::TextToFloat(s);
  (void)text::TextToBool(s);
}

// Answers nothing and shows nothing: the settings never ask the shell.
class QuietShell : public platform::Shell {
 public:
  void ShowMessage(const std::string&, const std::string&) override {}
  bool RunOpenDialog(platform::FileDialog&) override { return false; }
  bool RunSaveDialog(platform::FileDialog&) override { return false; }
  bool IsEscapeDown() override { return false; }
  std::string SpecialFolder(platform::SpecialFolderId) override { return ""; }
  std::string JwCadOpenCommand() override { return ""; }
  void StartProgram(const std::string&, const std::string&, const std::string&) override {}
  bool OpenDocument(const std::string&) override { return false; }
};

std::string FileText(const std::string& path) {
  platform::InputFile in;
  std::string bytes;
  if (!in.Open(path)) return bytes;
  bytes.resize(static_cast<std::size_t>(in.Size()));
  bytes.resize(in.Read(bytes.data(), bytes.size()));
  return bytes;
}

// What is saved of any settings file loads back to the same choices.
void SettingsPromises(const std::uint8_t* data, std::size_t size) {
  static const std::string folder = Scratch("settings");
  const std::string loaded = folder + "loaded.dat";
  const std::string saved = folder + "saved.dat";
  {
    platform::OutputFile out;
    Check(out.Create(loaded) && out.Write(data, size) == size && out.Close());
  }
  QuietShell shell;
  app::TForm1 form(shell, folder + "Quorvane.exe");
  form.LoadSettings(loaded);
  form.SaveSettings(saved);
  const std::string first = FileText(saved);
  // what was saved loads back to the same choices
  app::TForm1 again(shell, folder + "Quorvane.exe");
  again.LoadSettings(saved);
  again.SaveSettings(saved);
  Check(FileText(saved) == first);
  Check(again.Edit1.Text == form.Edit1.Text && again.Label1.Caption == form.Label1.Caption);
  Check(again.RadioButton1.Checked() == form.RadioButton1.Checked() &&
        again.RadioButton4.Checked() == form.RadioButton4.Checked() &&
        again.RadioButton6.Checked() == form.RadioButton6.Checked() && again.CheckBox1.Checked == form.CheckBox1.Checked);
}

}  // namespace

int FuzzText(const std::uint8_t* data, std::size_t size) {
  return Guarded([&] { TextPromises(data, size); });
}

int FuzzSettings(const std::uint8_t* data, std::size_t size) {
  return Guarded([&] { SettingsPromises(data, size); });
}

namespace {

// The folders one embedding run works in, emptied before each input.
struct EmbeddingFolders {
  std::string root = Scratch("embedding");
  std::string source = root + "src\\";  // the drawing's folder, holding a.bmp
  std::string read = root + "read\\";   // scratch folders of the three documents
  std::string packed = root + "packed\\";
  std::string again = root + "again\\";
  std::string apart = root + "apart\\";  // destinations of the separations
  std::string apartAgain = root + "apart-again\\";
  std::string beside = root + "beside\\";  // where the embedding must copy nothing

  void Renew() const {
    for (const std::string* f : {&source, &read, &packed, &again, &apart, &apartAgain, &beside}) {
      platform::RemoveTree(*f);
      platform::MakeFolder(*f);
    }
  }
};

// Loads a drawing into a document with its own scratch folder.
bool LoadInto(jww::TJwwData& d, const std::string& scratch, const std::uint8_t* data, std::size_t size) {
  d.Images.SetTempFolder(scratch);
  return d.LoadFromMemory(data, size);
}

relocation::RelocationCounters Relocate(jww::TJwwData& d, const std::string& drawingPath, const std::string& folder,
                                        relocation::ImageMode mode, relocation::CopiedImageTable& table) {
  relocation::RelocationCounters c;
  relocation::RelocateImages(d, drawingPath, folder, {false, false, mode}, table, c);
  return c;
}

void EmbeddingPromises(const std::uint8_t* data, std::size_t size) {
  static const EmbeddingFolders folders;
  folders.Renew();
  const std::string drawingPath = folders.source + "plan.jww";
  // an image every relative reference "a.bmp" finds, its bytes taken from the input
  const std::string image = "BM" + std::string(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 64));
  {
    platform::OutputFile out;
    Check(out.Create(folders.source + "a.bmp") && out.Write(image.data(), image.size()) == image.size() && out.Close());
  }

  // the drawing as read, separated
  jww::TJwwData asRead;
  if (!LoadInto(asRead, folders.read, data, size)) return;
  relocation::CopiedImageTable separated;
  const bool separates =
      Relocate(asRead, drawingPath, folders.apart, relocation::ImageMode::Separate, separated).FailedCopyCount == 0;
  for (const std::string& name : platform::ListFolder(folders.apart)) Check(platform::FileExists(folders.apart + name));

  // embedded: nothing beside it, and the save fails only where the drawing's own did
  jww::TJwwData packed;
  Check(LoadInto(packed, folders.packed, data, size));
  std::vector<unsigned char> unchanged;
  const bool savedAsRead = packed.SaveToMemory(unchanged, 700);
  relocation::CopiedImageTable embedded;
  // (an absolute reference may name a file that cannot be read whole, which fails it)
  const bool embeds =
      Relocate(packed, drawingPath, folders.beside, relocation::ImageMode::Embed, embedded).FailedCopyCount == 0;
  Check(platform::ListFolder(folders.beside).empty());
  if (!embeds) return;
  std::vector<unsigned char> bytes;
  if (!packed.SaveToMemory(bytes, 700)) {
    Check(!savedAsRead);
    return;
  }
  // separated again: every image embedded, and still referred to, comes back to the byte
  // (a text of a definition the drawing never inserts is embedded, but its definition is
  // not written, and nothing is left to separate the image for)
  jww::TJwwData again;
  Check(LoadInto(again, folders.again, bytes.data(), bytes.size()));
  const relocation::CopiedImage* stored = embedded.Find(folders.source + "a.bmp");
  const std::int32_t entry =
      stored == nullptr ? -1 : again.FindEmbeddedImage(jww::JwwString("^@BM%temp%" + stored->FileName + ","));
  bool referred = false;
  auto refers = [&](const jww::RecordArray<jww::TEntJwwText>& texts) {
    for (const jww::TEntJwwText& t : texts) referred |= entry >= 0 && again.FindEmbeddedImage(t.Text) == entry;
  };
  refers(again.Texts);
  for (const jww::TEntJwwBlockDef& def : again.BlockDefs) refers(def.Texts);
  relocation::CopiedImageTable apart;
  const relocation::RelocationCounters c =
      Relocate(again, drawingPath, folders.apartAgain, relocation::ImageMode::Separate, apart);
  if (separates) Check(c.FailedCopyCount == 0);
  if (c.FailedCopyCount != 0 || !referred) return;
  const relocation::CopiedImage* written = apart.Find(folders.again + stored->FileName + ".gz");
  Check(written != nullptr && FileText(folders.apartAgain + written->FileName) == image);
}

}  // namespace

int FuzzEmbedding(const std::uint8_t* data, std::size_t size) {
  return Guarded([&] { EmbeddingPromises(data, size); });
}

int FuzzPreview(const std::uint8_t* data, std::size_t size) {
  jww::TJwwData d;
  render::StoredImages stored;
  if (!render::LoadDrawing(data, size, d, stored)) return 0;
  render::PreviewOptions options;
  // no file is looked at: only what the drawing holds is drawn
  options.findImage = [](const render::ImagePath&, const std::string&, render::ImagePath&) { return false; };
  const render::DisplayList list = render::BuildDisplayList(d, "", stored, options);
  const std::string svg = render::WriteSvg(list, 200);
  if (!svg.ends_with("</svg>\n") || svg.find("nan") != std::string::npos || svg.find("inf") != std::string::npos) return 1;
  render::Bitmap picture;
  return render::Rasterize(list, 64, picture) && picture.width == 64 ? 0 : 1;
}

const Target kTargets[7] = {
    {"load", FuzzLoad},         {"roundtrip", FuzzRoundTrip}, {"exchange", FuzzExchange},
    {"settings", FuzzSettings}, {"text", FuzzText},           {"embedding", FuzzEmbedding},
    {"preview", FuzzPreview},
};

}  // namespace fuzz
