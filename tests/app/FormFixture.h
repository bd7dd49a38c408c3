// A main window over a scratch folder that stands for the program's folder, driven
// through a fake shell; and drawings with image references to feed it.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeShell.h"
#include "TestSupport.h"
#include "app/MainForm.h"
#include "fixture/DrawingBuilder.h"
#include "jww/DrawingDocument.h"

namespace app {

// The window's private state, for the tests that need to see it.
class TForm1Probe {
 public:
  static const std::vector<std::string>& Queue(const TForm1& f) { return f.FileQueue; }
  static std::int32_t FileCount(const TForm1& f) { return f.FileCount; }
  static std::int32_t OpenFilterIndex(const TForm1& f) { return f.OpenFilterIndex; }
  // The folder the form's drawing object extracts embedded images into.
  static std::string DocumentTempFolder(const TForm1& f) { return f.Drawing ? f.Drawing->Images.TempFolder() : ""; }
};

}  // namespace app

namespace apptest {

// Log texts, spelt out here rather than taken from the program.
inline const std::string kArrow = "\x81\xA8 ";                   // →
inline const std::string kResultMark = "\x81\x40\x81\x63\x81\x63 ";  // 　……
inline const std::string kFailed = "\x95\xCF\x8A\xB7\x8E\xB8\x94\x73";  // 変換失敗
inline const std::string kEscapeLine =
    "[ESC]\x82\xF0\x89\x9F\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x82\xCC\x82\xC5\x92\x86\x92\x66\x82\xB5\x82\xDC\x82\xB7"
    "\x81\x42";  // [ESC]を押しましたので中断します。
inline const std::string kFolderNotFound =
    "\x8E\x77\x92\xE8\x82\xB5\x82\xBD\x83\x74\x83\x48\x83\x8B\x83\x5F\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC"
    "\x82\xB9\x82\xF1\x81\x42";  // 指定したフォルダが見つかりません。
inline const std::string kTable = "\x95\x5C";  // 表, second byte 0x5C

// 変換ＯＫ(画像ファイル数:f 画像文字数:t blk内:b 不明画像文字:m blk内:bm)
std::string OkText(int files, int texts, int inBlocks, int missing, int missingInBlocks);

// 合計: 変換ＯＫ n 変換失敗 m 画像ファイル数 k 不明画像文字 j
std::string Totals(int converted, int failed, int images, int missing);

// "^@BM" + path + placement values.
std::string Reference(const std::string& path);

// A drawing with texts (first list) and a block definition, inserted once, with texts
// (second list).
fixture::Drawing DrawingWithTexts(const std::vector<std::string>& texts,
                                  const std::vector<std::string>& blockTexts = {});

// The texts of a drawing file: its own, then its block definitions'; empty when it cannot
// be read. Nothing is extracted.
std::vector<std::string> TextsOf(const std::string& path);

std::string AsString(const std::vector<unsigned char>& bytes);

// The names in a folder, sorted.
std::vector<std::string> SortedList(const std::string& folder);

class FormTest : public ::testing::Test {
 protected:
  FormTest();
  ~FormTest() override;

  // Writes a drawing under the scratch folder; returns its path.
  std::string Write(const std::string& name, const fixture::Drawing& drawing);
  // Makes a folder under the scratch folder; returns its path with a backslash.
  std::string Folder(const std::string& name);
  // Queues the paths as a drop does and runs the batch.
  void Drop(const std::vector<std::string>& paths) { form.WMDropFiles(paths); }
  std::string SettingsFile() const { return root / "Quorvane.dat"; }

  testsupport::TempFolder root;
  testsupport::FakeShell shell;
  app::TForm1 form;
  std::string desktop;    // the fake desktop folder, with a backslash
  std::string documents;  // the fake documents folder
};

}  // namespace apptest
