#include "removal/patient_calls.h"

#include <algorithm>

#include "services/handles.h"

namespace {

// The first pause, doubled after each attempt up to the longest.
constexpr std::uint32_t kFirstPause = 10;
constexpr std::uint32_t kLongestPause = 250;

// What is left of `limit` after `spent`.
std::uint32_t Left(std::uint32_t limit, std::uint32_t spent) {
  return spent < limit ? limit - spent : 0;
}

}  // namespace

PatientCalls::Attempt PatientCalls::Judge(long error, bool emptiedFolder) {
  m_error = error;
  const bool held = error == winerr::kAccessDenied || error == winerr::kSharingViolation ||
                    error == winerr::kLockViolation ||
                    (emptiedFolder && error == winerr::kDirNotEmpty);
  return held ? Attempt::Held : Attempt::Failed;
}

bool PatientCalls::Persist(const std::string& shown, std::uint32_t patience,
                           const std::function<Attempt()>& attempt) {
  m_error = 0;
  Attempt result = attempt();
  if (result != Attempt::Held) return result == Attempt::Done;
  IWindowsServices& services = m_run.services;
  const std::uint32_t start = services.TickCount();
  std::uint32_t waited = 0;
  for (std::uint32_t pause = kFirstPause; result == Attempt::Held;
       pause = std::min(pause * 2, kLongestPause)) {
    const std::uint32_t left =
        std::min(Left(patience, waited), Left(kRunPatience, m_run.heldWaitMs + waited));
    if (left == 0) break;
    m_run.ui.SetDetailLine(shown);
    m_run.ui.RedrawProgress();
    services.Sleep(std::min(pause, left));
    result = attempt();
    // Measured, so that slow calls count too; the clock wraps after 49.7 days.
    waited = services.TickCount() - start;
  }
  m_run.heldWaitMs = std::min(kRunPatience, m_run.heldWaitMs + waited);
  return result == Attempt::Done;
}

bool PatientCalls::Rename(const std::string& from, const std::string& to,
                          std::uint32_t patience) {
  IWindowsServices& services = m_run.services;
  return Persist(from, patience, [&] {
    if (services.RenameFile(from, to)) return Attempt::Done;
    const Attempt judged = Judge(services.LastError());
    // A target that is there is no hold: waiting would not make it go.
    return judged == Attempt::Held && FindFile(services, to) ? Attempt::Failed : judged;
  });
}

bool PatientCalls::RemoveFile(const std::string& path, bool clearFirst) {
  IWindowsServices& services = m_run.services;
  return Persist(path, kOperationPatience, [&] {
    // A file that cannot be opened keeps its attributes, and may still go.
    if (clearFirst) services.ClearFileAttributes(path);
    if (services.RemoveFile(path)) {
      // Deleted while another program holds it with delete sharing, the name
      // stays until that program lets go; and Wine reports an immutable
      // file as deleted. It counts only once it is gone.
      if (!FindFile(services, path)) return Attempt::Done;
      m_error = winerr::kAccessDenied;
      return Attempt::Held;
    }
    const long error = services.LastError();
    if (winerr::IsAbsence(error)) return Attempt::Done;
    if (error != winerr::kAccessDenied) return Judge(error);
    // A folder, and a read-only file that is not to be cleared, are refused
    // with 5 too, for good.
    FindData entry;
    const std::uint32_t lastingAttributes = kAttrDirectory | (clearFirst ? 0 : kAttrReadOnly);
    const bool lasting =
        FindFile(services, path, &entry) && (entry.attributes & lastingAttributes) != 0;
    m_error = error;
    return lasting ? Attempt::Failed : Attempt::Held;
  });
}

bool PatientCalls::RemoveEmptiedFolder(const std::string& path) {
  IWindowsServices& services = m_run.services;
  return Persist(path, kOperationPatience, [&] {
    if (services.RemoveDir(path)) return Attempt::Done;
    const long error = services.LastError();
    return winerr::IsAbsence(error) ? Attempt::Done : Judge(error, true);
  });
}

bool PatientCalls::CopyOnto(const std::string& from, const std::string& to) {
  IWindowsServices& services = m_run.services;
  return Persist(to, kOperationPatience, [&] {
    return services.CopyOneFile(from, to, false) ? Attempt::Done : Judge(services.LastError());
  });
}
