#include "tests/support/fake_run_ui.h"

#include <utility>

void FakeRunUi::Record(std::string event) {
  if (m_keepEvents) m_events.push_back(std::move(event));
}

std::vector<std::string> FakeRunUi::EventsOf(const std::string& kind) const {
  std::vector<std::string> out;
  const std::string prefix = kind + ":";
  for (const std::string& event : m_events)
    if (event.compare(0, prefix.size(), prefix) == 0) out.push_back(event.substr(prefix.size()));
  return out;
}

bool FakeRunUi::AnyBoxContains(const std::string& part) const {
  for (const Box& box : m_boxes)
    if (box.text.find(part) != std::string::npos) return true;
  return false;
}

BoxAnswer FakeRunUi::ShowMessage(const std::string& text, const char* caption, BoxStyle style) {
  BoxAnswer answer = style == BoxStyle::YesNo ? BoxAnswer::Yes : BoxAnswer::Ok;
  if (!m_answers.empty()) {
    answer = m_answers.front();
    m_answers.pop_front();
  }
  Box box{text, std::nullopt, style, answer};
  if (caption != nullptr) box.caption = std::string(caption);
  m_boxes.push_back(box);
  Record("box:" + text);
  if (onBox) onBox(box);
  return answer;
}

void FakeRunUi::SetStatusText(const std::string& text) {
  m_status = text;
  Record("status:" + text);
}

void FakeRunUi::SetLocationText(const std::string& text) {
  m_location = text;
  Record("location:" + text);
}

void FakeRunUi::SetStepText(const std::string& text) { Record("step:" + text); }

bool FakeRunUi::CreateProgress() {
  m_progressShown = m_progressOpen = true;
  Record("create");
  return true;
}

void FakeRunUi::SetTitleLine(const std::string& text) { Record("title:" + text); }
void FakeRunUi::SetDetailLine(const std::string& text) {
  ++m_detailUpdates;
  Record("detail:" + text);
}

void FakeRunUi::RedrawProgress() {
  ++m_redraws;
  Record("redraw");
}
void FakeRunUi::BringProgressToTop() { Record("top"); }

void FakeRunUi::DestroyProgress() {
  m_progressOpen = false;
  Record("destroy");
}
