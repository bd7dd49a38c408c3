#include "FormFixture.h"

#include <algorithm>

#include "platform/Platform.h"

namespace apptest {

std::string OkText(int files, int texts, int inBlocks, int missing, int missingInBlocks) {
  return "\x95\xCF\x8A\xB7\x82\x6E\x82\x6A(\x89\xE6\x91\x9C\x83\x74\x83\x40\x83\x43\x83\x8B\x90\x94:" +
         std::to_string(files) + " \x89\xE6\x91\x9C\x95\xB6\x8E\x9A\x90\x94:" + std::to_string(texts) +
         " blk\x93\xE0:" + std::to_string(inBlocks) + " \x95\x73\x96\xBE\x89\xE6\x91\x9C\x95\xB6\x8E\x9A:" +
         std::to_string(missing) + " blk\x93\xE0:" + std::to_string(missingInBlocks) + ")";
}

std::string Totals(int converted, int failed, int images, int missing) {
  return "\x8D\x87\x8C\x76: \x95\xCF\x8A\xB7\x82\x6E\x82\x6A " + std::to_string(converted) + " " + kFailed + " " +
         std::to_string(failed) + " \x89\xE6\x91\x9C\x83\x74\x83\x40\x83\x43\x83\x8B\x90\x94 " +
         std::to_string(images) + " \x95\x73\x96\xBE\x89\xE6\x91\x9C\x95\xB6\x8E\x9A " + std::to_string(missing);
}

std::string Reference(const std::string& path) { return "^@BM" + path + ",100,75,0,0,1,0"; }

fixture::Drawing DrawingWithTexts(const std::vector<std::string>& texts, const std::vector<std::string>& blockTexts) {
  fixture::Drawing d;
  fixture::LineEntity line;
  d.entities.push_back(line);
  for (const std::string& t : texts) {
    fixture::TextEntity text;
    text.Text = t;
    d.entities.push_back(text);
  }
  if (!blockTexts.empty()) {
    fixture::BlockDef def;
    def.Number = 1;
    def.Name = "parts";
    for (const std::string& t : blockTexts) {
      fixture::TextEntity text;
      text.Text = t;
      def.entities.push_back(text);
    }
    d.blockDefs.push_back(def);
    fixture::BlockEntity insert;
    insert.blockNumber = 1;
    d.entities.push_back(insert);
  }
  return d;
}

std::vector<std::string> TextsOf(const std::string& path) {
  std::vector<std::string> texts;
  jww::TJwwData d;
  if (d.LoadFromFile(path)) {
    for (const jww::TEntJwwText& t : d.Texts) texts.push_back(t.Text.bytes);
    for (const jww::TEntJwwBlockDef& def : d.BlockDefs) {
      for (const jww::TEntJwwText& t : def.Texts) texts.push_back(t.Text.bytes);
    }
  }
  return texts;
}

std::string AsString(const std::vector<unsigned char>& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<std::string> SortedList(const std::string& folder) {
  std::vector<std::string> names = platform::ListFolder(folder);
  std::sort(names.begin(), names.end());
  return names;
}

FormTest::FormTest() : form(shell, root / "Quorvane.exe") {
  desktop = Folder("Desktop");
  documents = Folder("Documents");
  shell.specialFolders[platform::SpecialFolderId::Desktop] = root / "Desktop";
  shell.specialFolders[platform::SpecialFolderId::Documents] = root / "Documents";
}

FormTest::~FormTest() {
  form.CloseWithoutSavingSettings();
}

std::string FormTest::Write(const std::string& name, const fixture::Drawing& drawing) {
  const std::string path = root / name;
  EXPECT_TRUE(fixture::WriteDrawing(path, drawing)) << path;
  return path;
}

std::string FormTest::Folder(const std::string& name) {
  const std::string path = root / (name + "\\");
  EXPECT_TRUE(platform::MakeFolder(path)) << path;
  return path;
}

}  // namespace apptest
