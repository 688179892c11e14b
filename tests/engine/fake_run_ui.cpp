#include "tests/engine/fake_run_ui.h"

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
  m_events.push_back("box:" + text);
  if (onBox) onBox(box);
  return answer;
}

void FakeRunUi::SetStatusText(const std::string& text) {
  m_status = text;
  m_events.push_back("status:" + text);
}

void FakeRunUi::SetLocationText(const std::string& text) {
  m_location = text;
  m_events.push_back("location:" + text);
}

void FakeRunUi::SetStepText(const std::string& text) { m_events.push_back("step:" + text); }

bool FakeRunUi::CreateProgress() {
  m_progressShown = m_progressOpen = true;
  m_events.push_back("create");
  return true;
}

void FakeRunUi::SetTitleLine(const std::string& text) { m_events.push_back("title:" + text); }
void FakeRunUi::SetDetailLine(const std::string& text) { m_events.push_back("detail:" + text); }
void FakeRunUi::RedrawProgress() { m_events.push_back("redraw"); }
void FakeRunUi::BringProgressToTop() { m_events.push_back("top"); }

void FakeRunUi::DestroyProgress() {
  m_progressOpen = false;
  m_events.push_back("destroy");
}
