// quorvane: converts drawings so that their images travel with them.
#include <exception>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "text/ShiftJis.h"

namespace cli {
namespace {

constexpr const char* kUsageText =
    "usage: quorvane convert [--to DIR | --desktop | --documents | --in-place]\n"
    "                        [--path-names | --plain-names] [--disable-missing]\n"
    "                        [--copy | --embed | --separate]\n"
    "                        [--search DIR]... [--search-near] FILE-OR-FOLDER...\n"
    "       quorvane check [--search DIR]... [--search-near] [--json | --csv]\n"
    "                      [--html REPORT [--no-previews]] FILE-OR-FOLDER...\n"
    "       quorvane inspect [--search DIR]... [--search-near] [--json] FILE...\n"
    "       quorvane resave IN OUT\n"
    "       quorvane preview [--search DIR]... [--search-near] DRAWING [-o OUT]\n"
    "                        [--width PIXELS]\n"
    "       quorvane -G     (also /G, -g, /g)\n"
    "       quorvane --help | --version\n";

constexpr const char* kHelpText =
    "Quorvane copies the images a drawing (.jww) refers to next to the converted\n"
    "drawing, rewrites the references to bare file names and saves the drawing as\n"
    "format version 700, so that the drawing keeps its images when it moves.\n"
    "\n"
    "commands:\n"
    "  convert FILE-OR-FOLDER...\n"
    "                    convert drawings, printing for each the source, the\n"
    "                    destination and the result; the destination, naming and\n"
    "                    image choices saved by the window apply unless given here:\n"
    "      --to DIR          save into DIR\n"
    "      --desktop         save onto the desktop\n"
    "      --documents       save into the documents folder\n"
    "      --in-place        replace each drawing in its own folder\n"
    "      --path-names      name copied images after their whole path\n"
    "      --plain-names     keep the images' own file names\n"
    "      --disable-missing switch off references to images that are missing\n"
    "      --copy            copy the images next to the drawing (the default)\n"
    "      --embed           store the images inside the drawing, as gzip entries\n"
    "                        the drafting program's own packing reads, so that\n"
    "                        nothing is copied\n"
    "      --separate        write the images stored inside the drawing next to it,\n"
    "                        referred to by bare names; other images are copied\n"
    "      --search DIR      look for an image missing where its reference says by\n"
    "                        its file name among the files below DIR (indexed once\n"
    "                        for the run; may be given more than once); the file\n"
    "                        whose folders match the reference's last folders\n"
    "                        furthest wins, and files with the same bytes count as\n"
    "                        one; different files equally near are a tie: none is\n"
    "                        taken and the reference stays missing\n"
    "      --search-near     look for it first under the drawing's folder and those\n"
    "                        above it, along the reference's last folders: for\n"
    "                        C:\\old\\A\\photo\\p1.jpg and a drawing in D:\\new\\A\\dwg\\,\n"
    "                        D:\\new\\A\\photo\\p1.jpg is used\n"
    "                    A file found is copied, stored or named as one found where\n"
    "                    the reference says; under the result a line names each\n"
    "                    file found and each tie. The search saved by the window\n"
    "                    applies unless one of these is given.\n"
    "                    A folder stands for every .jww file below it, taken by path\n"
    "                    (letters in either case alike), a folder's files before its\n"
    "                    subfolders; its tree is mirrored under the destination\n"
    "                    (DIR/FOLDER-NAME/...), or each drawing is replaced where it\n"
    "                    is with --in-place. Links inside it are named and passed\n"
    "                    over, and so is the destination folder when it lies inside,\n"
    "                    and a drawing or folder whose name has no Shift-JIS form.\n"
    "                    For a folder or more than one file the totals follow on\n"
    "                    standard error, with what was passed over.\n"
    "                    The options apply to this run only: convert never writes the\n"
    "                    settings file. Ctrl+C stops the batch before the next file.\n"
    "  check FILE-OR-FOLDER...\n"
    "                    tell which drawings have lost which images, writing nothing\n"
    "                    to them: a line per drawing with its counts, a line per\n"
    "                    reference whose image is not where it says, then the totals;\n"
    "                    folders are walked as by convert:\n"
    "      --search DIR      look for a missing image by its name among the files\n"
    "                        below DIR (the nearest folders win; different files\n"
    "                        equally near are a tie, and none is taken)\n"
    "      --search-near     look for a missing image under the drawing's folder and\n"
    "                        those above it, along the reference's last folders\n"
    "      --json            one JSON document instead of the text\n"
    "      --csv             one CSV row per reference instead (UTF-8 with a\n"
    "                        byte-order mark, for spreadsheets)\n"
    "      --html REPORT     also write a page to look at, with a thumbnail of every\n"
    "                        image found and a preview of every drawing (as SVG\n"
    "                        files in a new folder beside it, REPORT's name with\n"
    "                        .previews); it runs no script and fetches nothing\n"
    "      --no-previews     leave the previews out of the page (drawing them takes\n"
    "                        far longer than the check itself)\n"
    "                    Exit status 0 when every reference of every drawing resolves\n"
    "                    (found, found by the search, embedded; a disabled one counts\n"
    "                    too), 1 when an image is missing or a drawing or folder\n"
    "                    cannot be read.\n"
    "  inspect FILE...   show what a drawing holds and where its images are (writes\n"
    "                    nothing); --json for JSON; with --search DIR or\n"
    "                    --search-near, what the search would use for each missing\n"
    "                    image, or the tie\n"
    "  resave IN OUT     read a drawing and write it again as version 700 without\n"
    "                    relocating its images; the clean-ups of every save apply:\n"
    "                    control characters leave the strings, an empty name or text\n"
    "                    is written as a space, and block inserts of no definition,\n"
    "                    definitions never inserted and stored images no text names\n"
    "                    are left out\n"
    "  preview DRAWING   draw the whole paper of a drawing as the drafting program\n"
    "                    shows it, images included (BMP images; a missing one, or\n"
    "                    one of another format, shows its reference string), on\n"
    "                    the drawing's background:\n"
    "      -o OUT            write to OUT, .svg or .png (-o - writes SVG to standard\n"
    "                        output); by default NAME.svg in the current folder\n"
    "      --width PIXELS    the picture's width (default 1194); the height follows\n"
    "                        the paper\n"
    "      --search DIR      draw an image missing where it says from the file the\n"
    "                        search of check finds below DIR\n"
    "      --search-near     the same, under the drawing's folder and those above it\n"
    "  -G                run as an external transform of the drafting program, with\n"
    "                    JWC_TEMP.TXT beside this program; the settings file is\n"
    "                    written again afterwards\n"
    "\n"
    "The settings file (this program's path with .dat) and the scratch folder TEMP\n"
    "lie beside the program.\n"
    "\n"
    "exit status: 0 every file converted,\n"
    "             1 a file failed or was refused, a folder could not be read, a\n"
    "               name inside one could not be taken, or the batch was stopped,\n"
    "             2 usage error, no acceptable file or a missing destination folder\n"
    "             (check: see above; 2 on a usage error)\n";

int Run(int argc, char** argv) {
  std::vector<platform::Argument> args = platform::ProgramArguments(argc, argv);
  if (args.empty()) {
    Err(kUsageText);
    return kUsage;
  }
  const std::string command = args.front().display;
  args.erase(args.begin());
  if (command == "--help" || command == "-h") {
    Out(std::string(kUsageText) + "\n" + kHelpText);
    return kOk;
  }
  if (command == "--version") {
    Out("quorvane " QUORVANE_VERSION);
    return kOk;
  }
  const std::string upper = text::UpperCase(command);
  if (upper == "-G" || upper == "/G") {
    if (!args.empty()) {
      Complain(command + " takes no other argument");
      Err(kUsageText);
      return kUsage;
    }
    return ExternalTransform(command);  // plain ASCII, the same in every form
  }
  if (command == "check") return Check(args);
  if (command == "convert") return Convert(args);
  if (command == "inspect") return Inspect(args);
  if (command == "resave") return Resave(args);
  if (command == "preview") return Preview(args);
  Complain("unknown command: " + command);
  Err(kUsageText);
  return kUsage;
}

}  // namespace

void Out(const std::string& utf8) { platform::WriteStdout(utf8 + (utf8.ends_with('\n') ? "" : "\n")); }
void Err(const std::string& utf8) { platform::WriteStderr(utf8 + (utf8.ends_with('\n') ? "" : "\n")); }
void Complain(const std::string& utf8) { Err("quorvane: " + utf8); }

std::string PathProblem(const platform::Argument& a) {
  if (!a.utf8) return "path is not UTF-8 text (a name in another encoding, such as one from an archive made on Windows)";
  if (!a.representable) return "path has no Shift-JIS form";
  return "";
}

}  // namespace cli

int main(int argc, char** argv) {
  try {
    return cli::Run(argc, argv);
  } catch (const std::exception& e) {
    cli::Complain(std::string("internal error: ") + e.what());
  } catch (...) {
    cli::Complain("internal error");
  }
  return cli::kFailed;
}
