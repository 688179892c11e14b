// The test machine of the native build: a fresh simulated machine per test,
// laid out like Wine's new prefix, with its scratch folder and key made; or
// a simulated machine that a test already has, as it stands.
#include <algorithm>
#include <string>

#include "tests/support/ascii_text.h"
#include "tests/support/sim_machine.h"
#include "tests/support/test_machine.h"

namespace {

class SimTestMachine : public ITestMachine {
 public:
  SimTestMachine() : m_owned(SimMachine::StandardLayout()), m_machine(m_owned.get()) {
    static int counter = 0;
    std::string tag = "t" + std::to_string(++counter);
    m_scratchFolder = "C:\\rmlc-scratch\\" + tag;
    m_scratchKey = "Software\\RemoveMLC-tests\\" + tag;
    m_machine->AddFolder(m_scratchFolder);
    m_machine->AddKey(kHkeyCurrentUser, m_scratchKey);
    m_machine->LimitPathLength(true);  // as the real calls do
  }
  explicit SimTestMachine(SimMachine& machine) : m_machine(&machine) {}

  IWindowsServices& Services() override { return *m_machine; }
  std::string ScratchFolder() override { return m_scratchFolder; }
  std::string ScratchKey() override { return m_scratchKey; }

  bool PutFile(const std::string& path, const std::string& bytes) override {
    if (m_machine->IsFolder(path) || !m_machine->IsFolder(ascii::ParentOf(path))) return false;
    return m_machine->AddFile(path, bytes);
  }
  bool GetFile(const std::string& path, std::string& bytes) override {
    return m_machine->ReadFile(path, bytes);
  }
  bool MakeFolder(const std::string& path) override {
    if (m_machine->Exists(path) || !m_machine->IsFolder(ascii::ParentOf(path))) return false;
    return m_machine->AddFolder(path);
  }
  bool PutFileNamedInUtf8(const std::string& folder, const std::string& utf8Name,
                          const std::string& bytes) override {
    return m_machine->IsFolder(folder) && m_machine->AddFileNamedInUtf8(folder, utf8Name, bytes);
  }
  bool MakeFolderLink(const std::string& link, const std::string& target) override {
    return m_machine->IsFolder(ascii::ParentOf(link)) && m_machine->AddFolderLink(link, target);
  }
  bool Exists(const std::string& path) override { return m_machine->Exists(path); }
  std::uint32_t Attributes(const std::string& path) override {
    return m_machine->GetAttributes(path);
  }
  bool SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return m_machine->SetAttributes(path, attributes);
  }
  bool GetWriteTime(const std::string& path, std::uint64_t& time) override {
    if (!m_machine->Exists(path)) return false;
    time = m_machine->WriteTime(path);
    return true;
  }
  bool SetWriteTime(const std::string& path, std::uint64_t time) override {
    return m_machine->SetWriteTime(path, time);
  }
  std::string CurrentFolder() override { return m_machine->CurrentDir(); }
  bool HoldOpen(const std::string& path) override {
    if (!m_machine->Exists(path) || m_machine->IsFolder(path)) return false;
    m_machine->HoldOpen(path);
    return true;
  }
  void ReleaseHeld() override { m_machine->ReleaseAll(); }
  std::string ShortPath(const std::string& path) override { return m_machine->ShortPathOf(path); }
  bool SetEnvironment(const std::string& name, const std::string& value) override {
    m_machine->SetEnvironmentVariable(name, value);
    return true;
  }
  bool UseCodePage(std::uint32_t id) override {
    m_machine->SetCodePage(id);
    return true;
  }
  // The items themselves, as the Recycle Bin lists them (not what was
  // inside them), sorted.
  std::vector<std::string> RecycledFrom(const std::string& folder) override {
    std::vector<std::string> paths;
    const std::string prefix = ascii::Lower(folder) + "\\";
    for (const SimMachine::RecycledEntry& entry : m_machine->Recycled())
      if (entry.wholeItem &&
          ascii::Lower(entry.originalPath).compare(0, prefix.size(), prefix) == 0)
        paths.push_back(entry.originalPath);
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  bool CreateKey(RegKey root, const std::string& path) override {
    return m_machine->AddKey(root, path);
  }
  bool SetStringValue(RegKey root, const std::string& path, const std::string& name,
                      const std::string& value) override {
    return m_machine->SetStringValue(root, path, name, value);
  }
  bool SetBinaryValue(RegKey root, const std::string& path, const std::string& name,
                      const std::string& bytes) override {
    return m_machine->SetValue(root, path, name, bytes);
  }
  bool KeyExists(RegKey root, const std::string& path) override {
    return m_machine->KeyExists(root, path);
  }
  bool ValueExists(RegKey root, const std::string& path, const std::string& name) override {
    return m_machine->ValueExists(root, path, name);
  }

 private:
  std::unique_ptr<SimMachine> m_owned;  // null over a machine of the caller's
  SimMachine* m_machine;
  std::string m_scratchFolder;
  std::string m_scratchKey;
};

}  // namespace

std::unique_ptr<ITestMachine> MakeTestMachine() { return std::make_unique<SimTestMachine>(); }

std::unique_ptr<ITestMachine> TestMachineOver(SimMachine& machine) {
  return std::make_unique<SimTestMachine>(machine);
}
