// File calls: searches and the existence test, copies, deletions, folders
// and the current folder, on both machines.
#include <algorithm>

#include "tests/contract/contract_fixture.h"

namespace {

constexpr std::uint64_t kSomeTime = 130000000000000000ull;  // a FILETIME in 2012

bool Contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

TEST_F(ContractTest, ExistenceTestFollowsWildcardRules) {
  ASSERT_TRUE(machine->MakeFolder(In("Data")));
  ASSERT_TRUE(machine->PutFile(In("Data.zip"), "zip"));
  ASSERT_TRUE(machine->PutFile(In("readme"), "no dot"));

  EXPECT_TRUE(FindFile(*services, In("Data")));
  EXPECT_TRUE(FindFile(*services, In("dATA.ZIP"))) << "names are compared without case";
  EXPECT_TRUE(FindFile(*services, In("Dat?")));
  EXPECT_FALSE(FindFile(*services, In("Da?")));
  EXPECT_FALSE(FindFile(*services, In("Missing")));
  EXPECT_FALSE(FindFile(*services, In("Missing\\x"))) << "inside a missing folder";
  EXPECT_TRUE(FindFile(*services, In("*.*")));
  EXPECT_TRUE(FindFile(*services, In("Data.zip."))) << "dots at the end of a name go";

  // "*.*" also matches names without a dot.
  std::vector<std::string> all = Names(In("*.*"));
  EXPECT_TRUE(Contains(all, "readme"));
  EXPECT_TRUE(Contains(all, "Data"));
  EXPECT_TRUE(Contains(all, "Data.zip"));
}

TEST_F(ContractTest, PrefixPatternMatchesSiblingsThatBeginWithTheName) {
  ASSERT_TRUE(machine->PutFile(In("Data.zip"), "zip"));
  // No "Data" folder: "Data*.*" still matches "Data.zip", and "Dat" + "*.*" too.
  EXPECT_TRUE(FindFile(*services, In("Data*.*")));
  EXPECT_TRUE(FindFile(*services, In("Dat*.*")));
  EXPECT_FALSE(FindFile(*services, In("Datum*.*")));

  ASSERT_TRUE(machine->MakeFolder(In("Other")));
  EXPECT_TRUE(FindFile(*services, In("Other*.*"))) << "a name without a dot";
}

TEST_F(ContractTest, PathEndingInBackslashNeverMatches) {
  ASSERT_TRUE(machine->MakeFolder(In("Data")));
  ASSERT_TRUE(machine->PutFile(In("Data\\file.txt"), "x"));

  FindData data;
  EXPECT_EQ(services->FindFirst(In("Data\\"), data), 0u);
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);
  EXPECT_FALSE(FindFile(*services, scratch + "\\"));
  EXPECT_FALSE(FindFile(*services, "C:\\"));
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);
  // A doubled separator inside a path names the same entry.
  EXPECT_TRUE(FindFile(*services, In("Data\\\\file.txt")));
}

TEST_F(ContractTest, FolderListingStartsWithDotEntries) {
  ASSERT_TRUE(machine->MakeFolder(In("Sub")));
  ASSERT_TRUE(machine->PutFile(In("Sub\\b.txt"), "b"));
  ASSERT_TRUE(machine->MakeFolder(In("Sub\\Inner")));

  std::vector<std::string> names = Names(In("Sub\\*"));
  ASSERT_EQ(names.size(), 4u);
  EXPECT_EQ(names[0], ".");
  EXPECT_EQ(names[1], "..");
  EXPECT_TRUE(Contains(names, "b.txt"));
  EXPECT_TRUE(Contains(names, "Inner"));

  // The directory bit tells folders from files; the current folder's "*"
  // lists the same entries.
  ASSERT_TRUE(services->SetCurrentDir(In("Sub")));
  int folders = 0, files = 0;
  for (const FindData& data : Entries("*")) ((data.attributes & kAttrDirectory) ? folders : files)++;
  EXPECT_EQ(folders, 3);  // ".", "..", "Inner"
  EXPECT_EQ(files, 1);
}

TEST_F(ContractTest, CopyKeepsBytesAndTimeAndNeverOverwritesWhenAsked) {
  ASSERT_TRUE(machine->PutFile(In("source.txt"), "new bytes"));
  ASSERT_TRUE(machine->SetWriteTime(In("source.txt"), kSomeTime));

  ASSERT_TRUE(services->CopyOneFile(In("source.txt"), In("copy.txt"), true));
  std::string bytes;
  ASSERT_TRUE(machine->GetFile(In("copy.txt"), bytes));
  EXPECT_EQ(bytes, "new bytes");
  std::uint64_t time = 0;
  ASSERT_TRUE(machine->GetWriteTime(In("copy.txt"), time));
  EXPECT_EQ(time, kSomeTime);

  // The attributes come along.
  ASSERT_TRUE(machine->SetAttributes(In("source.txt"), kAttrReadOnly));
  ASSERT_TRUE(services->CopyOneFile(In("source.txt"), In("copy2.txt"), true));
  EXPECT_NE(machine->Attributes(In("copy2.txt")) & kAttrReadOnly, 0u);

  ASSERT_TRUE(machine->PutFile(In("kept.txt"), "old bytes"));
  EXPECT_FALSE(services->CopyOneFile(In("source.txt"), In("kept.txt"), true));
  EXPECT_EQ(services->LastError(), winerr::kFileExists);
  ASSERT_TRUE(machine->GetFile(In("kept.txt"), bytes));
  EXPECT_EQ(bytes, "old bytes");

  EXPECT_FALSE(services->CopyOneFile(In("absent.txt"), In("x.txt"), true));
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);
  EXPECT_FALSE(services->CopyOneFile(In("source.txt"), In("NoFolder\\x.txt"), true));
  EXPECT_EQ(services->LastError(), winerr::kPathNotFound);
}

TEST_F(ContractTest, RenameMovesAWholeFileOrFolderAndNeverReplacesOne) {
  ASSERT_TRUE(machine->PutFile(In("part.tmp"), "whole"));
  ASSERT_TRUE(machine->SetAttributes(In("part.tmp"), kAttrReadOnly));
  ASSERT_TRUE(services->RenameFile(In("part.tmp"), In("Work 26.txt"))) << "read-only too";
  std::string bytes;
  ASSERT_TRUE(machine->GetFile(In("Work 26.txt"), bytes));
  EXPECT_EQ(bytes, "whole");
  EXPECT_NE(machine->Attributes(In("Work 26.txt")) & kAttrReadOnly, 0u);
  EXPECT_FALSE(machine->Exists(In("part.tmp")));

  // An existing target, by another case or by its short name, stays as it is.
  ASSERT_TRUE(machine->PutFile(In("next.tmp"), "next"));
  ASSERT_TRUE(machine->PutFile(In("Lesson with a long name.txt"), "lesson"));
  const std::string shortName = machine->ShortPath(In("Lesson with a long name.txt"));
  for (const std::string& target : {In("WORK 26.TXT"), shortName}) {
    EXPECT_FALSE(services->RenameFile(In("next.tmp"), target)) << target;
    EXPECT_EQ(services->LastError(), winerr::kAlreadyExists) << target;
  }
  ASSERT_TRUE(machine->GetFile(In("Work 26.txt"), bytes));
  EXPECT_EQ(bytes, "whole");
  ASSERT_TRUE(machine->GetFile(In("next.tmp"), bytes));
  EXPECT_EQ(bytes, "next");
  // A search by the short name finds the file, under its long name.
  EXPECT_EQ(Names(shortName), std::vector<std::string>{"Lesson with a long name.txt"});

  EXPECT_FALSE(services->RenameFile(In("absent.tmp"), In("x.txt")));
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);

  // A folder moves with what it holds, and never onto another entry.
  ASSERT_TRUE(machine->MakeFolder(In("Staging")) && machine->PutFile(In("Staging\\in.txt"), "in"));
  EXPECT_FALSE(services->RenameFile(In("Staging"), In("Work 26.txt")));
  ASSERT_TRUE(services->RenameFile(In("Staging"), In("Saved")));
  EXPECT_TRUE(machine->GetFile(In("Saved\\in.txt"), bytes) && bytes == "in");
  EXPECT_FALSE(machine->Exists(In("Staging")));
}

TEST_F(ContractTest, ReadOnlyFileIsDeletedOnlyAfterItsAttributesAreCleared) {
  const std::string file = In("locked.txt");
  ASSERT_TRUE(machine->PutFile(file, "data"));
  ASSERT_TRUE(machine->SetAttributes(file, kAttrReadOnly | kAttrHidden));
  ASSERT_TRUE(machine->SetWriteTime(file, kSomeTime));

  EXPECT_FALSE(services->RemoveFile(file));
  EXPECT_EQ(services->LastError(), winerr::kAccessDenied);
  EXPECT_TRUE(machine->Exists(file));

  ASSERT_TRUE(services->ClearFileAttributes(file));
  EXPECT_EQ(machine->Attributes(file) & (kAttrReadOnly | kAttrHidden), 0u);
  std::uint64_t time = 0;
  ASSERT_TRUE(machine->GetWriteTime(file, time));
  EXPECT_EQ(time, kSomeTime);

  EXPECT_TRUE(services->RemoveFile(file));
  EXPECT_FALSE(machine->Exists(file));
  EXPECT_FALSE(services->RemoveFile(file));
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);
}

TEST_F(ContractTest, HeldFileCannotBeDeletedCopiedOrOpened) {
  const std::string file = In("held.txt");
  ASSERT_TRUE(machine->PutFile(file, "busy"));
  ASSERT_TRUE(machine->SetAttributes(file, kAttrReadOnly));
  ASSERT_TRUE(machine->HoldOpen(file));

  EXPECT_FALSE(services->RemoveFile(file));
  EXPECT_EQ(services->LastError(), winerr::kSharingViolation);
  EXPECT_FALSE(services->RenameFile(file, In("moved.txt")));
  EXPECT_EQ(services->LastError(), winerr::kSharingViolation);
  EXPECT_FALSE(services->CopyOneFile(file, In("copy.txt"), true));
  EXPECT_EQ(services->LastError(), winerr::kSharingViolation);
  EXPECT_FALSE(machine->Exists(In("copy.txt")));
  EXPECT_FALSE(services->ClearFileAttributes(file));
  EXPECT_NE(machine->Attributes(file) & kAttrReadOnly, 0u) << "nothing changes";

  machine->ReleaseHeld();
  EXPECT_TRUE(services->ClearFileAttributes(file));
  EXPECT_TRUE(services->RemoveFile(file));
}

TEST_F(ContractTest, FolderRemovalRefusesNonEmptyAndCurrentFolders) {
  ASSERT_TRUE(machine->MakeFolder(In("Full")));
  ASSERT_TRUE(machine->PutFile(In("Full\\f.txt"), "f"));
  EXPECT_FALSE(services->RemoveDir(In("Full")));
  EXPECT_EQ(services->LastError(), winerr::kDirNotEmpty);

  ASSERT_TRUE(machine->MakeFolder(In("Outer")));
  ASSERT_TRUE(machine->MakeFolder(In("Outer\\Here")));
  ASSERT_TRUE(services->SetCurrentDir(In("Outer\\Here")));
  EXPECT_FALSE(services->RemoveDir(In("Outer\\Here")));
  EXPECT_EQ(services->LastError(), winerr::kSharingViolation);
  EXPECT_FALSE(services->RemoveDir(In("Outer")));
  EXPECT_TRUE(machine->Exists(In("Outer\\Here")));

  // Once the current folder is elsewhere (a trailing backslash is fine
  // here), the empty folder goes.
  ASSERT_TRUE(services->SetCurrentDir(scratch + "\\"));
  EXPECT_TRUE(services->RemoveDir(In("Outer\\Here")));
  EXPECT_TRUE(services->RemoveDir(In("Outer")));
  EXPECT_FALSE(services->RemoveDir(In("Outer")));
  EXPECT_EQ(services->LastError(), winerr::kFileNotFound);
}

TEST_F(ContractTest, CurrentFolderAndNewFolders) {
  ASSERT_TRUE(services->MakeDirectory(In("New")));
  EXPECT_FALSE(services->MakeDirectory(In("New")));
  EXPECT_EQ(services->LastError(), winerr::kAlreadyExists);
  EXPECT_FALSE(services->MakeDirectory(In("Absent\\New")));
  EXPECT_EQ(services->LastError(), winerr::kPathNotFound);

  // Relative and drive-relative paths resolve against the current folder.
  ASSERT_TRUE(services->SetCurrentDir(In("New")));
  EXPECT_TRUE(machine->PutFile(In("New\\rel.txt"), "r"));
  EXPECT_TRUE(FindFile(*services, "rel.txt"));
  EXPECT_TRUE(services->MakeDirectory("Child"));
  EXPECT_TRUE(machine->Exists(In("New\\Child")));

  // A missing folder, a folder inside one, and a file (no folder) are refused.
  for (const auto& [path, error] : {std::pair<const char*, long>{"Absent", winerr::kFileNotFound},
                                    {"Absent\\Deeper", winerr::kPathNotFound},
                                    {"New\\rel.txt", 267}}) {
    EXPECT_FALSE(services->SetCurrentDir(In(path))) << path;
    EXPECT_EQ(services->LastError(), error) << path;
  }
  EXPECT_TRUE(FindFile(*services, "rel.txt")) << "a failed change keeps the folder";
}
