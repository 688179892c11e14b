// End-to-end journeys: RemoveMLC.exe started in a seeded Wine prefix and
// driven through its windows like a technician would, then the machine
// inspected: files, the Recycle Bin, the backup on the desktop, the registry.
//
// The program comes from --exe PATH or the RMLC_EXE environment variable (a
// Windows or a Unix path); it is copied to C:\RemoveMLC\RemoveMLC.exe first.
// Needs a display (Xvfb) and a private, safe prefix: the journeys delete
// things in it for real.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shared/texts.h"
#include "tests/support/wine_host.h"
#include "tests/ui/machine_checks.h"
#include "tests/ui/program_driver.h"
#include "tests/ui/seed_installation.h"

namespace {

// The program's own texts.
const char kAppTitle[] = "RemoveMLC";
const char kFound[] = "Marlo Coach Installation found.";
const char kNotFound[] =
    "Unable to find your Marlo Coach folder.  Please browse to locate this folder, or click the "
    "\"Remove\" button to remove all other traces of the program (registry keys, etc).";
const char kNotFoundBox[] = "MLC Folder Not Found.";
// The removal's texts are the program's own (shared/texts.h).
const std::string kLeftovers = std::string(texts::kLeftoversHeader) + "\n\n";
const char kSaveBox[] = "Save Student Data (will be copied to your desktop)";

constexpr int kStatus = 1003, kLocation = 1000, kBrowse = 1001, kSave = 1002;
constexpr UINT kAboutCommand = 0x10;
const char kOtherInstallFolder[] = "C:\\Apps\\Marlo Coach";

std::string g_exe;  // the program, copied into the prefix
std::string g_exe32;  // the i686 program, in a 64-bit prefix only

// True when both files can be read and hold the same bytes.
bool SameBytes(const std::string& a, const std::string& b) {
  std::string first, second;
  return win32test::ReadWholeFile(a, first) && win32test::ReadWholeFile(b, second) &&
         first == second;
}

// Everything a journey seeds, starts and checks. TearDown removes the
// seeding again so that journeys do not see each other's leftovers.
class Journey : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(g_exe.empty()) << "no program: pass --exe PATH or set RMLC_EXE";
    ASSERT_TRUE(seed::ReadShortcutFolders(folders_, error_)) << error_;
  }

  void TearDown() override {
    seed::ResetInstallation(options_, error_);
    check::EmptyTrash();
  }

  void Seed(const seed::SeedOptions& options = seed::SeedOptions()) {
    options_ = options;
    ASSERT_TRUE(seed::ResetAndSeedThisMachine(options_, students_, error_)) << error_;
    ASSERT_TRUE(check::EmptyTrash()) << "no Recycle Bin in this prefix: " << win32test::TrashFolder();
  }

  // Starts the program and waits for its main window.
  void Start(const std::string& exe = g_exe) {
    ASSERT_TRUE(program_.Start(exe, error_)) << error_;
    main_ = program_.WaitForCaption(drive::kMainTitle);
    ASSERT_TRUE(main_) << "the main window did not appear";
  }

  // The next message box must have this caption, text and buttons.
  drive::Box ExpectBox(const std::string& caption, const std::string& text,
                       const std::vector<int>& buttons) {
    drive::Box box;
    EXPECT_TRUE(program_.NextBox(box)) << "no message box \"" << text << "\"";
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, buttons) << "buttons of \"" << box.text << "\"";
    return box;
  }

  void Answer(const drive::Box& box, int button) {
    ASSERT_TRUE(box.window && program_.Answer(box, button)) << "could not answer \"" << box.text << "\"";
  }

  void Remove() { ASSERT_TRUE(drive::Click(main_, IDOK)); }

  // Remove, then OK at the patience prompt (which opens no progress window).
  void RemoveAndConfirm() {
    ASSERT_NO_FATAL_FAILURE(Remove());
    drive::Box patience = ExpectBox("", texts::kPatience, {IDOK, IDCANCEL});
    EXPECT_EQ(program_.ProgressWindow(), nullptr) << "progress window before the prompt's answer";
    ASSERT_NO_FATAL_FAILURE(Answer(patience, IDOK));
  }

  // The final report: "Success!", with the progress window already gone.
  void ExpectSuccess() {
    drive::Box report = ExpectBox(texts::kSuccessCaption, texts::kSuccess, {IDOK});
    EXPECT_EQ(program_.ProgressWindow(), nullptr) << "progress window still up at the report";
    ASSERT_NO_FATAL_FAILURE(Answer(report, IDOK));
    ExpectExit();
  }

  void ExpectExit() { EXPECT_TRUE(program_.WaitExit()) << "the program did not end; terminated"; }

  void ExpectMainTexts(const std::string& status, const std::string& location) {
    EXPECT_EQ(drive::ItemText(main_, kStatus), status);
    EXPECT_EQ(drive::ItemText(main_, kLocation), location);
    EXPECT_TRUE(drive::IsChecked(main_, kSave)) << "save box not ticked";
  }

  std::string Students() const { return options_.installFolder + "\\Students"; }
  std::string Backup() const { return folders_.userDesktop + "\\" + seed::kBackupFolderName; }

  // --- what the machine looks like afterwards ---

  static std::string Describe(const std::vector<seed::StudentFile>& files) {
    return seed::FormatManifest(files);
  }

  void ExpectSameFiles(const std::string& folder, const char* what) {
    EXPECT_EQ(Describe(seed::ListFiles(folder)), Describe(students_)) << what << ": " << folder;
  }

  void ExpectRecycled(const std::string& path) {
    win32test::TrashItem item;
    EXPECT_FALSE(win32test::PathExists(path)) << "still there: " << path;
    EXPECT_TRUE(check::FindInTrash(path, item)) << "not in the Recycle Bin: " << path;
  }

  // The installation folder went to the Recycle Bin with every student file.
  void ExpectInstallationRecycled() {
    ExpectRecycled(options_.installFolder);
    win32test::TrashItem item;
    if (check::FindInTrash(options_.installFolder, item)) {
      ExpectSameFiles(win32test::TrashFolder() + "\\files\\" + item.name + "\\Students",
                      "student data in the Recycle Bin");
    }
  }

  void ExpectShortcuts(const std::vector<std::string>& desktops,
                       const std::vector<std::string>& startMenus, bool present) {
    for (const auto& desktop : desktops)
      for (const auto& name : seed::DesktopShortcuts())
        EXPECT_EQ(win32test::PathExists(desktop + "\\" + name), present) << desktop << "\\" << name;
    for (const auto& menu : startMenus) {
      for (const auto& name : seed::StartMenuShortcuts())
        EXPECT_EQ(win32test::PathExists(menu + "\\" + name), present) << menu << "\\" << name;
      EXPECT_EQ(win32test::PathExists(menu + "\\" + seed::kProgramFolder), present) << menu;
    }
  }

  void ExpectShellShortcuts(bool present) {
    ExpectShortcuts({folders_.commonDesktop, folders_.userDesktop},
                    {folders_.commonStartMenu, folders_.userStartMenu}, present);
  }

  void ExpectDerivedShortcuts(bool present) {
    ExpectShortcuts(folders_.derivedDesktops, folders_.derivedStartMenus, present);
  }

  // The program folders of the Start menus went to the Recycle Bin.
  void ExpectProgramFoldersRecycled(const std::vector<std::string>& startMenus) {
    for (const auto& menu : startMenus) ExpectRecycled(menu + "\\" + seed::kProgramFolder);
  }

  void ExpectRegistryCleaned() {
    EXPECT_TRUE(win32test::KeyExists(HKEY_LOCAL_MACHINE,
                                     seed::kProductKey)) << "the product key itself is kept";
    EXPECT_TRUE(check::Subkeys(seed::kProductKey).empty());
    EXPECT_FALSE(win32test::ValueExists(HKEY_LOCAL_MACHINE, seed::kProductKey, "InstallPath"));
    EXPECT_TRUE(win32test::ValueExists(HKEY_LOCAL_MACHINE,
                                       seed::kProductKey, "Version")) << "other values are kept";
    for (const auto& entry : seed::UninstallEntries())
      EXPECT_FALSE(win32test::KeyExists(HKEY_LOCAL_MACHINE,
                                        std::string(seed::kUninstallKey) + "\\" + entry)) << entry;
  }

  void ExpectRegistryKept() {
    EXPECT_EQ(check::Subkeys(seed::kProductKey).size(), 2u);
    EXPECT_EQ(win32test::ValueExists(HKEY_LOCAL_MACHINE,
                                     seed::kProductKey, "InstallPath"), options_.installPathValue);
    for (const auto& entry : seed::UninstallEntries())
      EXPECT_TRUE(win32test::KeyExists(HKEY_LOCAL_MACHINE,
                                       std::string(seed::kUninstallKey) + "\\" + entry)) << entry;
  }

  // Whatever does not belong to the product survives every journey.
  void ExpectNeighboursKept() {
    EXPECT_TRUE(win32test::PathExists(std::string(lookalike::kFolder) + "\\Students\\Keep me.txt"));
    EXPECT_TRUE(win32test::PathExists(lookalike::kFile));
    EXPECT_TRUE(win32test::KeyExists(HKEY_LOCAL_MACHINE, lookalike::kProductKey));
    EXPECT_TRUE(win32test::KeyExists(HKEY_LOCAL_MACHINE, std::string(seed::kUninstallKey) + "\\" +
                                 lookalike::kUninstallEntry));
    for (const auto* desktop : {&folders_.commonDesktop, &folders_.userDesktop})
      EXPECT_TRUE(win32test::PathExists(*desktop + "\\" + lookalike::kShortcut)) << *desktop;
    for (const auto* menu : {&folders_.commonStartMenu, &folders_.userStartMenu})
      EXPECT_TRUE(win32test::PathExists(*menu + "\\" + lookalike::kProgramFolder)) << *menu;
  }

  // Nothing at all was changed: everything seeded is in place, the trash is
  // empty and no backup was left on the desktop.
  void ExpectUntouched() {
    if (options_.productFiles) {
      EXPECT_TRUE(win32test::PathExists(options_.installFolder + "\\MarloCoach.exe"));
    }
    if (options_.studentsFolder) ExpectSameFiles(Students(), "student data in place");
    EXPECT_TRUE(win32test::PathExists(seed::kCacheFolder));
    EXPECT_TRUE(win32test::PathExists(seed::kMlcStudentsFolder));
    ExpectShellShortcuts(true);
    ExpectDerivedShortcuts(true);
    ExpectRegistryKept();
    ExpectNeighboursKept();
    EXPECT_FALSE(win32test::PathExists(Backup())) << "a backup was left on the desktop";
    EXPECT_TRUE(win32test::TrashItems().empty()) << "something went to the Recycle Bin";
  }

  // Everything of the product is gone after a complete run.
  void ExpectAllRemoved() {
    ExpectRecycled(seed::kMlcStudentsFolder);
    ExpectRecycled(seed::kCacheFolder);
    ExpectShellShortcuts(false);
    ExpectProgramFoldersRecycled({folders_.commonStartMenu, folders_.userStartMenu});
    ExpectRegistryCleaned();
    ExpectNeighboursKept();
  }

  seed::SeedOptions options_;
  seed::ShortcutFolders folders_;
  std::vector<seed::StudentFile> students_;
  std::string error_;
  drive::Program program_;
  HWND main_ = nullptr;
};

TEST_F(Journey, FoundViaRegistryAndRemovedCompletely) {
  seed::SeedOptions options;
  options.installFolder = kOtherInstallFolder;  // only the registry points here
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  ASSERT_NO_FATAL_FAILURE(Start());
  ExpectMainTexts(kFound, kOtherInstallFolder);
  EXPECT_EQ(drive::ItemText(main_, kSave), kSaveBox);

  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());

  ExpectInstallationRecycled();
  ExpectSameFiles(Backup(), "backup on the desktop");
  ExpectAllRemoved();
  ExpectDerivedShortcuts(false);
  ExpectProgramFoldersRecycled(folders_.derivedStartMenus);
}

TEST_F(Journey, FolderThatCannotBeDeletedIsReportedAndTheRunGoesOn) {
  ASSERT_NO_FATAL_FAILURE(Seed());
  check::ImmutableFolder locked(seed::kCacheFolder);
  ASSERT_TRUE(locked.ok()) << "cannot make the cache folder undeletable (chattr +i, needs root)";
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());

  drive::Box failed = ExpectBox(texts::kErrorCaption,
                                std::string(texts::kCouldNotDelete) + seed::kCacheFolder, {IDOK});
  HWND progress = program_.ProgressWindow();
  ASSERT_TRUE(progress) << "no progress window while the error is shown";
  EXPECT_EQ(drive::ItemText(progress, 1004), texts::kStep3);
  EXPECT_EQ(drive::ItemText(progress, 1005), "");
  EXPECT_EQ(drive::TextOf(progress), "") << "the progress window has no caption";
  ASSERT_NO_FATAL_FAILURE(Answer(failed, IDOK));

  drive::Box report = ExpectBox(kAppTitle,
                                kLeftovers + texts::kFolderLine + seed::kCacheFolder + "\n",
                                {IDOK});
  EXPECT_EQ(program_.ProgressWindow(), nullptr);
  ASSERT_NO_FATAL_FAILURE(Answer(report, IDOK));
  ExpectExit();

  EXPECT_TRUE(win32test::PathExists(std::string(seed::kCacheFolder) + "\\setup.ini"));
  ExpectInstallationRecycled();
  ExpectSameFiles(Backup(), "backup on the desktop");
  ExpectRecycled(seed::kMlcStudentsFolder);
  ExpectShellShortcuts(false);
  ExpectRegistryCleaned();
  ExpectNeighboursKept();
}

TEST_F(Journey, NothingFoundStillRemovesTheOtherTraces) {
  seed::SeedOptions options;
  options.productFiles = false;
  options.studentsFolder = false;
  options.installPathValue = false;
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  ASSERT_NO_FATAL_FAILURE(Start());
  ExpectMainTexts(kNotFound, kNotFoundBox);

  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());  // the not-found text is not taken as a folder
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());

  EXPECT_FALSE(win32test::PathExists(Backup())) << "no location, so no backup";
  ExpectAllRemoved();
}

TEST_F(Journey, CancelAtThePatiencePromptThenCancelChangesNothing) {
  ASSERT_NO_FATAL_FAILURE(Seed());
  ASSERT_NO_FATAL_FAILURE(Start());
  ExpectMainTexts(kFound, seed::kDefaultInstallFolder);
  ASSERT_NO_FATAL_FAILURE(Remove());
  drive::Box patience = ExpectBox("", texts::kPatience, {IDOK, IDCANCEL});
  ASSERT_NO_FATAL_FAILURE(Answer(patience, IDCANCEL));

  Sleep(300);
  EXPECT_TRUE(program_.Running());
  EXPECT_EQ(program_.ProgressWindow(), nullptr) << "a progress window after Cancel";
  ExpectMainTexts(kFound, seed::kDefaultInstallFolder);
  ASSERT_TRUE(drive::Click(main_, IDCANCEL));
  ExpectExit();
  ExpectUntouched();
}

TEST_F(Journey, TypedFolderIsConfirmedNoThenYes) {
  ASSERT_NO_FATAL_FAILURE(Seed());
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::string typed = lookalike::kFolder;  // holds no MarloCoach.exe
  ASSERT_TRUE(drive::SetItemText(main_, kLocation, typed));

  ASSERT_NO_FATAL_FAILURE(Remove());
  drive::Box confirm = ExpectBox(texts::kConfirmCaption, texts::kConfirmLocation, {IDYES, IDNO});
  ASSERT_NO_FATAL_FAILURE(Answer(confirm, IDNO));
  Sleep(300);
  EXPECT_TRUE(program_.Running());
  EXPECT_EQ(drive::ItemText(main_, kStatus), kFound) << "No must change nothing";

  ASSERT_NO_FATAL_FAILURE(Remove());
  confirm = ExpectBox(texts::kConfirmCaption, texts::kConfirmLocation, {IDYES, IDNO});
  ASSERT_NO_FATAL_FAILURE(Answer(confirm, IDYES));
  drive::Box patience = ExpectBox("", texts::kPatience, {IDOK, IDCANCEL});
  ExpectMainTexts(texts::kTypedFolderStatus, typed);  // set before the prompt
  ASSERT_NO_FATAL_FAILURE(Answer(patience, IDCANCEL));

  ASSERT_TRUE(drive::Click(main_, IDCANCEL));
  ExpectExit();
  ExpectUntouched();
}

TEST_F(Journey, AboutBoxFromTheSystemMenuChangesNothingAndEscapeEnds) {
  ASSERT_NO_FATAL_FAILURE(Seed());
  ASSERT_NO_FATAL_FAILURE(Start());
  for (UINT command : {kAboutCommand, kAboutCommand | 0xF}) {  // the low four bits are ignored
    const bool byEscape = command != kAboutCommand;
    ASSERT_TRUE(PostMessageA(main_, WM_SYSCOMMAND, command, 0));
    HWND about = program_.WaitForCaption("About RemoveMLC");
    ASSERT_TRUE(about) << "no About box for command " << command;
    EXPECT_EQ(drive::ClassOf(about), "#32770");
    std::vector<std::string> texts = drive::ChildTexts(about, "Static");
    ASSERT_EQ(texts.size(), 3u) << "icon and two lines of text";
    EXPECT_EQ(texts[1], "RemoveMLC Version 1.0");
    EXPECT_FALSE(texts[2].empty()) << "second line of text";
    EXPECT_EQ(drive::ItemText(about, IDOK), "OK");
    ASSERT_TRUE(byEscape ? drive::PressKey(about, VK_ESCAPE) : drive::Click(about, IDOK));
    EXPECT_TRUE(drive::WaitGone(about)) << (byEscape ? "Escape" : "OK") << " left the About box open";
    ExpectMainTexts(kFound, seed::kDefaultInstallFolder);
  }
  ASSERT_TRUE(drive::PressKey(main_, VK_ESCAPE));  // Escape closes the main window like Cancel
  ExpectExit();
  ExpectUntouched();
}

TEST_F(Journey, BrowseCancelledThenDeclinedThenAcceptedAndRemoved) {
  seed::SeedOptions options;
  options.installFolder = kOtherInstallFolder;
  options.installPathValue = false;  // so nothing is found at start
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  ASSERT_NO_FATAL_FAILURE(Start());
  ExpectMainTexts(kNotFound, kNotFoundBox);
  auto isBrowser = [](HWND window) { return drive::HasChild(window, "SysTreeView32"); };

  // Cancelled: nothing changes.
  ASSERT_TRUE(drive::Click(main_, kBrowse));
  HWND browser = program_.WaitFor(isBrowser);
  ASSERT_TRUE(browser) << "the folder browser did not open";
  ASSERT_TRUE(drive::Click(browser, IDCANCEL));
  EXPECT_TRUE(drive::WaitGone(browser)) << "Cancel did not close the folder browser";
  ExpectMainTexts(kNotFound, kNotFoundBox);

  // A folder without MarloCoach.exe, declined: nothing changes.
  ASSERT_TRUE(drive::Click(main_, kBrowse));
  browser = program_.WaitFor(isBrowser);
  ASSERT_TRUE(browser);
  ASSERT_TRUE(program_.SelectFolder(browser, "C:\\Apps")) << "BFFM_SETSELECTIONA failed";
  ASSERT_TRUE(drive::Click(browser, IDOK));
  drive::Box confirm = ExpectBox(texts::kConfirmCaption, texts::kConfirmLocation, {IDYES, IDNO});
  ASSERT_NO_FATAL_FAILURE(Answer(confirm, IDNO));
  Sleep(300);
  ExpectMainTexts(kNotFound, kNotFoundBox);

  // The installation folder: accepted without a question.
  ASSERT_TRUE(drive::Click(main_, kBrowse));
  browser = program_.WaitFor(isBrowser);
  ASSERT_TRUE(browser);
  ASSERT_TRUE(program_.SelectFolder(browser, kOtherInstallFolder));
  ASSERT_TRUE(drive::Click(browser, IDOK));
  ASSERT_TRUE(program_.WaitFor(
      [&](HWND) { return drive::ItemText(main_, kStatus) == texts::kBrowsedFolderStatus; }))
      << "status after browsing: " << drive::ItemText(main_, kStatus);
  ExpectMainTexts(texts::kBrowsedFolderStatus, kOtherInstallFolder);

  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());
  ExpectInstallationRecycled();
  ExpectSameFiles(Backup(), "backup on the desktop");
  ExpectAllRemoved();
}

TEST_F(Journey, MissingStudentDataAbandonsTheRunBeforeAnyDeletion) {
  seed::SeedOptions options;
  options.studentsFolder = false;
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());

  drive::Box failed = ExpectBox(kAppTitle, texts::kCopyFailed, {IDOK});
  HWND progress = program_.ProgressWindow();
  ASSERT_TRUE(progress) << "the progress window stays up during the copy-failure message";
  EXPECT_EQ(drive::ItemText(progress, 1004), texts::kStep1);
  ASSERT_NO_FATAL_FAILURE(Answer(failed, IDOK));
  ExpectExit();
  ExpectUntouched();
}

// The program is ended (TerminateProcess, as a shut-down or an ended task
// ends it) while step 1 copies a large file into the staging folder, then
// started again: the second run replaces what the first cut short, and says
// "Success!" over a backup that holds the students' data byte for byte.
TEST_F(Journey, RunEndedDuringTheBackupAndRepeatedLeavesAWholeBackup) {
  seed::SeedOptions options;
  options.largeFileSize = 32u << 20;  // a copy that lasts long enough to be caught in
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  const std::string large = std::string("\\") + seed::kLargeStudentFile;
  const std::string largeFolder = folders_.userDesktop + "\\" + texts::kBackupStagingName +
                                  large.substr(0, large.rfind('\\'));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  const DWORD start = GetTickCount();
  // Ended as soon as the large file's copy has begun.
  while (seed::ListFiles(largeFolder).empty() && GetTickCount() - start < drive::kWindowTimeoutMs) {
  }
  ASSERT_TRUE(program_.Terminate()) << "the program ended by itself";
  ExpectSameFiles(Students(), "student data in place after the end");
  ASSERT_TRUE(win32test::TrashItems().empty()) << "the run was ended after step 1";

  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());
  ExpectInstallationRecycled();
  ExpectSameFiles(Backup(), "backup on the desktop");
  win32test::TrashItem item;
  ASSERT_TRUE(check::FindInTrash(options_.installFolder, item));
  const std::string recycled = win32test::TrashFolder() + "\\files\\" + item.name + "\\Students";
  for (const seed::StudentFile& file : students_)
    EXPECT_TRUE(SameBytes(Backup() + "\\" + file.relativePath,
                          recycled + "\\" + file.relativePath))
        << file.relativePath;
}

// While a message box of the run is open, its message loop serves the
// progress window too: Alt+F4, WM_CLOSE, Enter and Escape must not end it
// (which would re-enable the main window), and Remove must not start a
// second run inside the first.
TEST_F(Journey, ProgressWindowStaysAndRemoveIsIgnoredWhileARunIsOpen) {
  seed::SeedOptions options;
  options.studentsFolder = false;  // the run stops at its copy-failure message
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  drive::Box failed = ExpectBox(kAppTitle, texts::kCopyFailed, {IDOK});
  HWND progress = program_.ProgressWindow();
  ASSERT_TRUE(progress);
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window is enabled during the run";

  const LPARAM altDown = 0x20000001;  // repeat count 1, the Alt key held
  ASSERT_TRUE(PostMessageA(progress, WM_SYSKEYDOWN, VK_F4, altDown));
  ASSERT_TRUE(PostMessageA(progress, WM_SYSKEYUP, VK_F4, altDown | 0xC0000000));
  ASSERT_TRUE(PostMessageA(progress, WM_SYSCOMMAND, SC_CLOSE, 0));
  ASSERT_TRUE(PostMessageA(progress, WM_CLOSE, 0, 0));
  ASSERT_TRUE(PostMessageA(progress, WM_COMMAND, IDOK, 0));
  ASSERT_TRUE(PostMessageA(progress, WM_COMMAND, IDCANCEL, 0));
  Sleep(500);
  EXPECT_EQ(program_.ProgressWindow(), progress) << "the progress window was closed";
  EXPECT_FALSE(IsWindowEnabled(main_)) << "closing the progress window re-enabled the main window";

  ASSERT_NO_FATAL_FAILURE(Remove());
  HWND second = program_.WaitFor(
      [&](HWND window) { return window != failed.window && drive::IsMessageBox(window); }, 1000);
  EXPECT_EQ(second, nullptr) << "Remove started a second run: " << drive::ItemText(second, 0xFFFF);

  ASSERT_NO_FATAL_FAILURE(Answer(failed, IDOK));
  ExpectExit();
  ExpectUntouched();
}

// The folder browser is owned by the main window, which stays disabled
// while it is open; Remove, pressed anyway, starts nothing. The close box
// then ends the program like Cancel.
TEST_F(Journey, RemoveIsIgnoredWhileTheFolderBrowserIsOpenAndTheCloseBoxCancels) {
  ASSERT_NO_FATAL_FAILURE(Seed());
  ASSERT_NO_FATAL_FAILURE(Start());
  EXPECT_NE(GetWindowLongPtrA(main_, GWL_STYLE) & WS_SYSMENU, 0) << "no system menu";
  ASSERT_TRUE(drive::Click(main_, kBrowse));
  HWND browser = program_.WaitFor([](HWND window) { return drive::HasChild(window, "SysTreeView32"); });
  ASSERT_TRUE(browser) << "the folder browser did not open";
  EXPECT_EQ(GetWindow(browser, GW_OWNER), main_);
  EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window is usable behind the browser";

  ASSERT_NO_FATAL_FAILURE(Remove());
  drive::Box box;
  EXPECT_FALSE(program_.NextBox(box, 1000)) << "Remove started a run inside Browse: " << box.text;
  ASSERT_TRUE(drive::Click(browser, IDCANCEL));
  EXPECT_TRUE(drive::WaitGone(browser));
  Sleep(200);
  EXPECT_TRUE(IsWindowEnabled(main_));
  ExpectMainTexts(kFound, seed::kDefaultInstallFolder);

  ASSERT_TRUE(PostMessageA(main_, WM_SYSCOMMAND, SC_CLOSE, 0));
  ExpectExit();
  ExpectUntouched();
}

// Wine reporting the older systems the program supports: the student data
// saved and the product removed on each; the per-user folders derived from
// version 5 (XP) only, and left alone below it (NT 4.0, 98). Wine's DLLs
// export every function whatever version it reports, so only the import
// check (RemoveMLC_imports_check) shows that those systems start the program.
TEST_F(Journey, OnXpNt4And98TheProductIsRemovedAndTheDataSaved) {
  for (const std::string version : {"winxp", "nt40", "win98"}) {
    SCOPED_TRACE(version);
    check::WineVersion reported(version);
    ASSERT_TRUE(reported.ok());
    seed::SeedOptions options;
    options.installPathValue = false;  // found at the default folder
    ASSERT_NO_FATAL_FAILURE(Seed(options));
    ASSERT_NO_FATAL_FAILURE(Start());
    ExpectMainTexts(kFound, seed::kDefaultInstallFolder);
    ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
    ASSERT_NO_FATAL_FAILURE(ExpectSuccess());

    ExpectInstallationRecycled();
    ExpectSameFiles(Backup(), "backup on the desktop");
    ExpectAllRemoved();
    ExpectDerivedShortcuts(version != "winxp");
  }
}

// The shipped i686 program in the x86_64 column's 64-bit prefix, where 32-bit
// programs run: given "C:\Program Files (x86)", as on 64-bit Windows, it
// recycles the cache its 32-bit setup put there.
TEST_F(Journey, On64BitWindowsThe32BitProgramRecyclesTheCacheUnderProgramFilesX86) {
  if (g_exe32.empty()) GTEST_SKIP() << "no i686 program to start here (RMLC_EXE_I686)";
  const std::string cache = std::string("C:\\Program Files (x86)") + texts::kInstallerCacheTail;
  ASSERT_NO_FATAL_FAILURE(Seed());
  CreateDirectoryA(cache.substr(0, cache.rfind('\\')).c_str(), nullptr);
  ASSERT_TRUE(MoveFileA(seed::kCacheFolder, cache.c_str())) << "cannot plant " << cache;
  ASSERT_NO_FATAL_FAILURE(Start(g_exe32));
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());
  ExpectRecycled(cache);
}

// A DLL that anyone could leave in the folder the program is started from
// (Downloads, say) never runs inside the elevated program, not even where the
// run looks up a function of that DLL's name.
TEST_F(Journey, ADllLeftBesideTheProgramNeverRuns) {
  char planted[MAX_PATH] = "";
  ASSERT_TRUE(GetEnvironmentVariableA("RMLC_PLANTED_DLL", planted, sizeof planted))
      << "no RMLC_PLANTED_DLL to plant";
  // Both go again however the journey ends, so that no other journey meets them.
  struct RemovedAtEnd {
    std::string path;
    ~RemovedAtEnd() { DeleteFileA(path.c_str()); }
  };
  const RemovedAtEnd marker{"C:\\planted-dll-ran.txt"};
  const RemovedAtEnd besideProgram{g_exe.substr(0, g_exe.rfind('\\')) + "\\userenv.dll"};
  DeleteFileA(marker.path.c_str());
  ASSERT_TRUE(CopyFileA(winehost::WindowsName(planted).c_str(), besideProgram.path.c_str(), FALSE));

  ASSERT_NO_FATAL_FAILURE(Seed());
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());  // the run reads the profiles folder
  ASSERT_NO_FATAL_FAILURE(ExpectSuccess());
  EXPECT_FALSE(win32test::PathExists(marker.path)) << "the DLL beside the program ran inside it";
  ExpectAllRemoved();
}

// C:\MLC Students is a link to the teachers' folder, the user's Start-menu
// program folder holds a read-only shortcut, and the user's desktop is moved
// under a name the code page cannot spell. The folder the link leads to
// stays whole and the link is reported; the program folder goes with its
// shortcut, which is not reported; the desktop's shortcut and the backup are
// reached through its short path. The link is the only leftover.
TEST_F(Journey, LinkKeptGoneShortcutsUnreportedUnspellableDesktopReached) {
  seed::SeedOptions options;
  options.mlcStudents = false;
  ASSERT_NO_FATAL_FAILURE(Seed(options));
  const std::string teachers = "C:\\users\\Public\\Documents\\Teachers";
  ASSERT_TRUE(CreateDirectoryA(teachers.c_str(), nullptr) &&
              win32test::WriteWholeFile(teachers + "\\marks.xls", "marks"));
  ASSERT_TRUE(winehost::MakeFolderLink(seed::kMlcStudentsFolder, teachers));
  const std::string readOnly = folders_.userStartMenu + "\\" + seed::StartMenuShortcuts()[0];
  ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  const std::wstring desktop = win32test::Widen(folders_.userDesktop) + L"\\\x0141ucja";
  wchar_t spelt[MAX_PATH] = {};
  ASSERT_TRUE(CreateDirectoryW(desktop.c_str(), nullptr) &&
              GetShortPathNameW(desktop.c_str(), spelt, MAX_PATH) > 0);
  const std::string shortDesktop = win32test::Narrow(spelt);
  ASSERT_TRUE(win32test::WriteWholeFile(shortDesktop + "\\Marlo Coach Videos.lnk", "shortcut"));
  // The shell's folder moved there, as a profile under that name has it.
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  wchar_t old[MAX_PATH] = {};
  DWORD size = sizeof old;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, key, L"Desktop", RRF_RT_ANY | RRF_NOEXPAND, nullptr,
                         old, &size), ERROR_SUCCESS);
  auto moveDesktop = [key](const wchar_t* to) {
    return RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Desktop", REG_EXPAND_SZ, to,
                           static_cast<DWORD>((wcslen(to) + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  };
  ASSERT_TRUE(moveDesktop(desktop.c_str()));
  [&] {  // the desktop is put back however this ends
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(RemoveAndConfirm());
    drive::Box failed = ExpectBox(texts::kErrorCaption,
                                  std::string(texts::kCouldNotDelete) + seed::kMlcStudentsFolder, {IDOK});
    ASSERT_NO_FATAL_FAILURE(Answer(failed, IDOK));
    drive::Box report = ExpectBox(
        kAppTitle, kLeftovers + texts::kFolderLine + seed::kMlcStudentsFolder + "\n", {IDOK});
    ASSERT_NO_FATAL_FAILURE(Answer(report, IDOK));
    ExpectExit();
  }();
  EXPECT_TRUE(moveDesktop(old));
  EXPECT_TRUE(winehost::IsFolderLink(seed::kMlcStudentsFolder));
  EXPECT_TRUE(win32test::PathExists(teachers + "\\marks.xls"));
  ExpectRecycled(folders_.userStartMenu + "\\" + seed::kProgramFolder);
  EXPECT_FALSE(win32test::PathExists(shortDesktop + "\\Marlo Coach Videos.lnk"));
  ExpectSameFiles(shortDesktop + "\\" + seed::kBackupFolderName, "backup on the moved desktop");
  EXPECT_TRUE(winehost::RemoveFolderLink(seed::kMlcStudentsFolder) &&
              win32test::DeleteTree(teachers) && win32test::DeleteTree(shortDesktop));
}

// --- the version block -------------------------------------------------------

// The string table's keys in the order they stand in the block.
std::vector<std::string> StringTableKeys(const std::vector<char>& block) {
  // VS_VERSIONINFO > StringFileInfo > StringTable "040904B0" > String...:
  // each node is wLength, wValueLength, wType, a key, padding to 4 bytes.
  std::vector<std::string> keys;
  const std::wstring table = L"040904B0";
  const char* data = block.data();
  const size_t size = block.size();
  for (size_t at = 0; at + table.size() * 2 <= size; at += 2) {
    if (std::memcmp(data + at, table.c_str(), table.size() * 2) != 0) continue;
    size_t node = at - 6;
    size_t end = node + *reinterpret_cast<const WORD*>(data + node);
    size_t child = (at + (table.size() + 1) * 2 + 3) & ~size_t(3);
    while (child + 6 < end && child + 6 < size) {
      WORD length = *reinterpret_cast<const WORD*>(data + child);
      if (length == 0) break;
      std::wstring key(reinterpret_cast<const wchar_t*>(data + child + 6));
      keys.push_back(std::string(key.begin(), key.end()));
      child = (child + length + 3) & ~size_t(3);
    }
    break;
  }
  return keys;
}

TEST(VersionBlock, EveryKeyAndValue) {
  ASSERT_FALSE(g_exe.empty());
  DWORD handle = 0;
  DWORD size = GetFileVersionInfoSizeA(g_exe.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version block";
  std::vector<char> block(size);
  ASSERT_TRUE(GetFileVersionInfoA(g_exe.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
  EXPECT_EQ(fixed->dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed->dwFileFlags, 0u);
  EXPECT_EQ(fixed->dwFileOS, 0x4u);
  EXPECT_EQ(fixed->dwFileType, 0x1u);
  EXPECT_EQ(fixed->dwFileSubtype, 0u);
  EXPECT_EQ(fixed->dwFileDateMS, 0u);
  EXPECT_EQ(fixed->dwFileDateLS, 0u);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 0x04B0);

  const std::vector<std::pair<std::string, std::string>> expected = {
      {"CompanyName", ""},
      {"FileDescription", "RemoveMLC MFC Application"},
      {"FileVersion", "1, 0, 0, 1"},
      {"InternalName", "RemoveMLC"},
      {"LegalTrademarks", ""},
      {"OriginalFilename", "RemoveMLC.EXE"},
      {"ProductName", "RemoveMLC Application"},
      {"ProductVersion", "1, 0, 0, 1"}};
  for (const auto& entry : expected) {
    char* value = nullptr;
    std::string query = "\\StringFileInfo\\040904B0\\" + entry.first;
    ASSERT_TRUE(VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << entry.first;
    EXPECT_EQ(std::string(value, strnlen(value, length)), entry.second) << entry.first;
  }

  // The given keys in the given order, and one more: the legal notice.
  std::vector<std::string> keys = StringTableKeys(block);
  std::vector<std::string> given;
  std::string other;
  for (const auto& key : keys) {
    bool known = std::any_of(expected.begin(), expected.end(),
                             [&](const std::pair<std::string, std::string>& e) { return e.first == key; });
    if (known) given.push_back(key);
    else other += key + " ";
  }
  std::vector<std::string> order;
  for (const auto& entry : expected) order.push_back(entry.first);
  EXPECT_EQ(given, order);
  EXPECT_EQ(keys.size(), expected.size() + 1) << "keys beyond the eight: " << other;
  char* notice = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904B0\\LegalCopyright",
                             reinterpret_cast<void**>(&notice), &length));
  EXPECT_GT(length, 1u) << "an empty legal notice";
}

// Copies the program into the prefix, as a technician would bring it along.
std::string InstallProgram(const std::string& given, const std::string& folder = "C:\\RemoveMLC") {
  const std::string source = winehost::WindowsName(given);
  const std::string target = folder + "\\RemoveMLC.exe";
  CreateDirectoryA(folder.c_str(), nullptr);
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
    std::fprintf(stderr, "cannot copy %s to %s (error %lu)\n", source.c_str(), target.c_str(),
                 GetLastError());
    return std::string();
  }
  return target;
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::string exe;
  char env[MAX_PATH] = "";
  if (GetEnvironmentVariableA("RMLC_EXE", env, sizeof env)) exe = env;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--exe") == 0) exe = argv[i + 1];
  if (!exe.empty()) g_exe = InstallProgram(exe);
  if (sizeof(void*) == 8 && GetEnvironmentVariableA("RMLC_EXE_I686", env, sizeof env))
    g_exe32 = InstallProgram(env, "C:\\RemoveMLC32");
  return RUN_ALL_TESTS();
}
