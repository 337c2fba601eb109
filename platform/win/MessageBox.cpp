#include "platform/win/MessageBox.h"

#include <dlfcn.h>

#include <cstdio>
#include <deque>
#include <mutex>

namespace orv::win {
namespace {

struct MessageBoxState {
  std::mutex mutex;
  MessageBoxPresenter presenter;
  bool scripted = false;
  std::deque<int> answers;
  std::vector<MessageBoxCall> calls;
};

MessageBoxState& State() {
  static MessageBoxState state;
  return state;
}

// The answer of a box's first button: OK for MB_OK and MB_OKCANCEL, Yes for the Yes/No kinds.
int FirstButtonAnswer(UINT type) {
  switch (type & 0xF) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    default:
      return IDOK;
  }
}

const char* ButtonsText(UINT type) {
  switch (type & 0xF) {
    case MB_OKCANCEL:
      return "[OK] [Cancel]";
    case MB_YESNO:
      return "[Yes] [No]";
    case MB_YESNOCANCEL:
      return "[Yes] [No] [Cancel]";
    default:
      return "[OK]";
  }
}

}  // namespace

int MessageBox(const std::string& text, const std::string& caption, UINT type) {
  MessageBoxCall call{caption, text, type};
  MessageBoxPresenter presenter;
  {
    MessageBoxState& state = State();
    std::lock_guard<std::mutex> guard(state.mutex);
    if (state.scripted) {
      state.calls.push_back(call);
      if (state.answers.empty()) return FirstButtonAnswer(type);
      int answer = state.answers.front();
      state.answers.pop_front();
      return answer;
    }
    presenter = state.presenter;
  }
  // The presenter runs outside the lock: a dialog may run a loop that shows another box.
  if (presenter) return presenter(call);
  std::fprintf(stderr, "[%s] %s %s\n", caption.c_str(), text.c_str(), ButtonsText(type));
  return FirstButtonAnswer(type);
}

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  MessageBoxState& state = State();
  std::lock_guard<std::mutex> guard(state.mutex);
  state.presenter = std::move(presenter);
}

void ScriptMessageBoxes(std::vector<int> answers) {
  MessageBoxState& state = State();
  std::lock_guard<std::mutex> guard(state.mutex);
  state.scripted = true;
  state.answers.assign(answers.begin(), answers.end());
  state.calls.clear();
}

void StopScriptingMessageBoxes() {
  MessageBoxState& state = State();
  std::lock_guard<std::mutex> guard(state.mutex);
  state.scripted = false;
  state.answers.clear();
}

const char kHostMessageBoxSymbol[] = "orv_HostMessageBox";

bool UseHostMessageBoxes(const std::function<void()>& fallback) {
  // Only the program's dynamic symbol table is searched by name here: a plug-in's own copy of
  // the entry point stays local to its library, so finding one means finding the host's.
  void* symbol = dlsym(RTLD_DEFAULT, kHostMessageBoxSymbol);
  auto host = reinterpret_cast<HostMessageBoxFunction>(symbol);
  // This copy is the program's own: the module was linked into the program, one service.
  if (host == &orv_HostMessageBox) return true;
  if (host == nullptr) {
    if (fallback) fallback();
    return false;
  }
  SetMessageBoxPresenter([host](const MessageBoxCall& call) {
    return host(call.text.c_str(), call.caption.c_str(), call.type);
  });
  return true;
}

std::vector<MessageBoxCall> ScriptedMessageBoxCalls() {
  MessageBoxState& state = State();
  std::lock_guard<std::mutex> guard(state.mutex);
  return state.calls;
}

}  // namespace orv::win

extern "C" int orv_HostMessageBox(const char* text, const char* caption, UINT type) {
  return orv::win::MessageBox(text ? text : "", caption ? caption : "", type);
}
