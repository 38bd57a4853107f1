#include "robot.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace bench {

namespace {

constexpr int kPollMs = 15;
constexpr int kMessageBoxTextId = 0xFFFF;
// Wine gives the message box icon the id 0x440; Windows gives it 20.
constexpr int kMessageBoxIconIds[] = {0x440, 20};

// A window's text, asked of the window with WM_GETTEXT and a time-out (an
// edit field keeps what was typed to itself). When the window's thread does
// not answer in time, busy with long work, the text the system keeps for the
// window is taken instead, and *ask turns false so that the windows of that
// thread are not asked again in the same look.
std::string WindowText(HWND hwnd, bool* ask = nullptr) {
  char buffer[4096];
  DWORD_PTR len = 0;
  if ((!ask || *ask) && SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                                            SMTO_ABORTIFHUNG, 2000, &len)) {
    buffer[std::min<size_t>(len, sizeof buffer - 1)] = '\0';
    return buffer;
  }
  if (ask) *ask = false;
  WCHAR wide[4096];
  int n = InternalGetWindowText(hwnd, wide, 4096);
  int bytes = WideCharToMultiByte(CP_ACP, 0, wide, n, buffer, sizeof buffer - 1, nullptr, nullptr);
  buffer[bytes > 0 ? bytes : 0] = '\0';
  return buffer;
}

std::string ClassOf(HWND hwnd) {
  char buffer[256] = "";
  GetClassNameA(hwnd, buffer, sizeof buffer);
  return buffer;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

bool IsCheckable(LONG style, const std::string& cls) {
  if (_stricmp(cls.c_str(), "Button") != 0) return false;
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

// Reads which standard icon a message box shows by comparing the pixels on
// the screen with the system's own icons (icon handles of another process
// cannot be inspected).
std::string IdentifyIcon(HWND iconControl) {
  HICON shown = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
  if (!shown) return "none";
  RECT rc;
  GetClientRect(iconControl, &rc);
  int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
  if (rc.right < w || rc.bottom < h) return "unknown";
  RECT onScreen;
  GetWindowRect(iconControl, &onScreen);

  struct Candidate { const char* name; LPCSTR id; };
  const Candidate candidates[] = {{"information", IDI_ASTERISK}, {"exclamation", IDI_EXCLAMATION},
                                  {"question", IDI_QUESTION}, {"error", IDI_HAND}};
  std::string best = "unknown";
  double bestScore = 0.0;
  for (const auto& c : candidates) {
    double score = IconLikeness(LoadIconA(nullptr, c.id), {onScreen.left, onScreen.top}, w, h);
    if (score > bestScore) { bestScore = score; best = c.name; }
  }
  if (bestScore >= 0.9) return best;
  return "unknown (closest: " + best + ", " + std::to_string(static_cast<int>(bestScore * 100)) + "% alike)";
}

struct LookState {
  WindowSeen* seen;
  bool ask;  // the window's thread answers messages
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  auto* look = reinterpret_cast<LookState*>(param);
  WindowSeen* seen = look->seen;
  if (GetParent(child) != seen->hwnd) return TRUE;  // direct children only
  ControlSeen c;
  c.id = GetDlgCtrlID(child);
  c.className = ClassOf(child);
  c.text = WindowText(child, &look->ask);
  c.visible = IsWindowVisible(child) != FALSE;
  c.enabled = IsWindowEnabled(child) != FALSE;
  c.style = GetWindowLongA(child, GWL_STYLE);
  if (IsCheckable(c.style, c.className))
    c.check = static_cast<int>(SendMessageA(child, BM_GETCHECK, 0, 0));
  seen->controls.push_back(c);
  return TRUE;
}

struct EnumState {
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectTop(HWND hwnd, LPARAM param) {
  reinterpret_cast<EnumState*>(param)->windows.push_back(hwnd);
  return TRUE;
}

const char* ButtonName(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "Abort";
    case IDRETRY: return "Retry";
    case IDIGNORE: return "Ignore";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
  }
}

}  // namespace

double IconLikeness(HICON icon, POINT onScreen, int size, int rows) {
  // Read from the screen: another process's window surface is not ours to read.
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bitmap);
  auto* pixels = static_cast<DWORD*>(bits);
  const int count = size * std::min(rows, size);
  BitBlt(mem, 0, 0, size, size, screen, onScreen.x, onScreen.y, SRCCOPY);
  GdiFlush();
  std::vector<DWORD> shot(pixels, pixels + count);
  // The icon drawn on black and on white: where both agree it is opaque.
  std::vector<DWORD> drawn[2];
  for (int pass = 0; pass < 2; ++pass) {
    RECT all{0, 0, size, size};
    FillRect(mem, &all, static_cast<HBRUSH>(GetStockObject(pass ? WHITE_BRUSH : BLACK_BRUSH)));
    DrawIconEx(mem, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    drawn[pass].assign(pixels, pixels + count);
  }
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  int opaque = 0, same = 0;
  for (int i = 0; i < count; ++i) {
    DWORD onBlack = drawn[0][i] & 0xFFFFFF;
    if (onBlack != (drawn[1][i] & 0xFFFFFF)) continue;  // transparent here
    ++opaque;
    if (onBlack == (shot[i] & 0xFFFFFF)) ++same;
  }
  return opaque ? static_cast<double>(same) / opaque : 0.0;
}

const ControlSeen* WindowSeen::Control(int id) const {
  for (const auto& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

std::string WindowSeen::Describe() const {
  std::ostringstream out;
  out << (messageBox ? "message box" : "window") << " \"" << caption << "\" class=" << className
      << " owner=" << owner;
  if (messageBox) {
    out << " icon=" << icon << " buttons=";
    for (size_t i = 0; i < buttons.size(); ++i) out << (i ? "|" : "") << buttons[i];
    out << "\n    text: \"" << Escaped(text) << "\"";
  } else {
    out << (HasCloseBox() ? " closebox" : " no-closebox");
    for (const auto& c : controls) {
      out << "\n    " << c.id << " " << c.className << " \"" << Escaped(c.text) << "\""
          << (c.enabled ? "" : " disabled") << (c.visible ? "" : " hidden");
      if (c.check >= 0) out << " check=" << c.check;
    }
  }
  for (const auto& a : actions) out << "\n    -> " << a;
  return out.str();
}

std::string WindowSpec::Mismatch(const WindowSeen& seen) const {
  if (seen.caption != caption_) return "caption is \"" + seen.caption + "\"";
  if (kind_ == Kind::MessageBox && !seen.messageBox) return "not a message box";
  if (kind_ == Kind::Dialog && seen.messageBox) return "a message box, not a dialog";
  if (hasText_ && seen.text != text_) return "text is \"" + Escaped(seen.text) + "\"";
  for (const auto& part : contains_) {
    std::string all = seen.text;
    for (const auto& c : seen.controls) all += "\n" + c.text;
    if (all.find(part) == std::string::npos) return "no text \"" + part + "\"";
  }
  if (!icon_.empty() && seen.icon != icon_) return "icon is " + seen.icon;
  if (!buttons_.empty()) {
    std::string b;
    for (size_t i = 0; i < seen.buttons.size(); ++i) b += (i ? "|" : "") + seen.buttons[i];
    if (b != buttons_) return "buttons are " + b;
  }
  return {};
}

std::string WindowSpec::Describe() const {
  std::string k = kind_ == Kind::MessageBox ? "message box" : kind_ == Kind::Dialog ? "dialog" : "window";
  return k + " \"" + caption_ + "\"";
}

// --- Step actions -----------------------------------------------------------

namespace {

HWND Reachable(HWND window, int id, Robot& robot, const char* what) {
  HWND control = GetDlgItem(window, id);
  if (!control) {
    robot.Fail(std::string(what) + ": no control " + std::to_string(id));
    return nullptr;
  }
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) {
    robot.Fail(std::string(what) + ": control " + std::to_string(id) +
               " cannot be reached by the user (hidden or disabled)");
    return nullptr;
  }
  return control;
}

}  // namespace

Step& Step::Answer(int buttonId) {
  actions_.push_back({std::string("answer ") + ButtonName(buttonId), [buttonId](HWND w, Robot& r) {
                        if (HWND b = Reachable(w, buttonId, r, "answer")) PostMessageA(b, BM_CLICK, 0, 0);
                      }});
  return *this;
}

Step& Step::Click(int controlId) {
  actions_.push_back({"click " + std::to_string(controlId), [controlId](HWND w, Robot& r) {
                        // Posted: the click may open a nested modal window.
                        if (HWND b = Reachable(w, controlId, r, "click")) PostMessageA(b, BM_CLICK, 0, 0);
                        Sleep(60);
                      }});
  return *this;
}

Step& Step::SetCheck(int controlId, bool checked) {
  actions_.push_back({"check " + std::to_string(controlId) + (checked ? " on" : " off"),
                      [controlId, checked](HWND w, Robot& r) {
                        HWND b = GetDlgItem(w, controlId);
                        if (!b) { r.Fail("set check: no control " + std::to_string(controlId)); return; }
                        LRESULT now = SendMessageA(b, BM_GETCHECK, 0, 0);
                        if ((now == BST_CHECKED) == checked) return;
                        if (!Reachable(w, controlId, r, "set check")) return;
                        DWORD_PTR ignored;
                        SendMessageTimeoutA(b, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
                      }});
  return *this;
}

Step& Step::Type(int controlId, std::string text) {
  actions_.push_back({"type into " + std::to_string(controlId), [controlId, text](HWND w, Robot& r) {
                        if (HWND e = Reachable(w, controlId, r, "type")) {
                          DWORD_PTR ignored;
                          SendMessageTimeoutA(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                                              SMTO_ABORTIFHUNG, 5000, &ignored);
                        }
                      }});
  return *this;
}

Step& Step::PressEsc() {
  actions_.push_back({"press Esc", [](HWND w, Robot&) {
                        PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                        PostMessageA(w, WM_KEYUP, VK_ESCAPE, 0xC0010001);
                        Sleep(60);
                      }});
  return *this;
}

Step& Step::Close() {
  actions_.push_back({"close box", [](HWND w, Robot& r) {
                        if (!(GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU)) {
                          r.Fail("close: the window has no close box");
                          return;
                        }
                        PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
                        Sleep(60);
                      }});
  return *this;
}

Step& Step::Wait(int milliseconds) {
  actions_.push_back({"wait " + std::to_string(milliseconds) + " ms", [milliseconds](HWND, Robot&) { Sleep(milliseconds); }});
  return *this;
}

Step& Step::StaysOpen(int milliseconds) {
  actions_.push_back({"stays open", [milliseconds](HWND w, Robot& r) {
                        Sleep(milliseconds);
                        if (!IsWindow(w) || !IsWindowVisible(w)) r.Fail("the window closed but should have stayed open");
                      }});
  return *this;
}

Step& Step::Do(std::function<void(HWND, Robot&)> action, std::string what) {
  actions_.push_back({std::move(what), std::move(action)});
  return *this;
}

// --- Robot -------------------------------------------------------------------

Robot::~Robot() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

Step& Robot::Expect(WindowSpec wanted) {
  std::lock_guard lock(mutex_);
  steps_.emplace_back(std::move(wanted));
  return steps_.back();
}

void Robot::Start(DWORD pid) {
  {
    std::lock_guard lock(mutex_);
    pids_.insert(pid);
  }
  if (!thread_.joinable()) {
    stop_ = false;
    thread_ = std::thread([this] { Loop(); });
  }
}

void Robot::AddProcess(DWORD pid) {
  std::lock_guard lock(mutex_);
  pids_.insert(pid);
}

void Robot::Finish() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  if (finished_) return;
  finished_ = true;
  for (size_t i = next_; i < steps_.size(); ++i)
    failures_.push_back("expected " + steps_[i].wanted_.Describe() + " never came");
}

bool Robot::Ok() const {
  std::lock_guard lock(mutex_);
  return failures_.empty();
}

std::vector<std::string> Robot::Failures() const {
  std::lock_guard lock(mutex_);
  return failures_;
}

std::string Robot::Transcript() const {
  std::lock_guard lock(mutex_);
  std::ostringstream out;
  for (size_t i = 0; i < seen_.size(); ++i) out << "[" << i + 1 << "] " << seen_[i].Describe() << "\n";
  for (const auto& f : failures_) out << "FAILURE: " << f << "\n";
  return out.str();
}

std::vector<WindowSeen> Robot::Seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

bool Robot::Saw(const std::string& caption) const { return CountSeen(caption) > 0; }

int Robot::CountSeen(const std::string& caption) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::count_if(seen_.begin(), seen_.end(),
                                        [&](const WindowSeen& w) { return w.caption == caption; }));
}

WindowSeen Robot::Find(const std::string& caption, int nth) const {
  std::lock_guard lock(mutex_);
  for (const auto& w : seen_)
    if (w.caption == caption && nth-- == 0) return w;
  return {};
}

void Robot::Fail(std::string why) {
  std::lock_guard lock(mutex_);
  failures_.push_back(std::move(why));
}

void Robot::Note(HWND hwnd, std::string what) {
  std::lock_guard lock(mutex_);
  for (auto it = seen_.rbegin(); it != seen_.rend(); ++it)
    if (it->hwnd == hwnd) { it->actions.push_back(std::move(what)); return; }
}

WindowSeen Robot::Look(HWND hwnd) {
  WindowSeen seen;
  seen.hwnd = hwnd;
  GetWindowThreadProcessId(hwnd, &seen.pid);
  LookState look{&seen, true};
  seen.caption = WindowText(hwnd, &look.ask);
  seen.className = ClassOf(hwnd);
  seen.style = GetWindowLongA(hwnd, GWL_STYLE);
  GetWindowRect(hwnd, &seen.rect);
  HWND owner = GetWindow(hwnd, GW_OWNER);
  seen.owner = owner ? "\"" + WindowText(owner) + "\"" : "none";
  EnumChildWindows(hwnd, CollectChild, reinterpret_cast<LPARAM>(&look));
  HWND textControl = GetDlgItem(hwnd, kMessageBoxTextId);
  // A message box has its text (id 0xFFFF) and at least one standard button;
  // a dialog's own unnumbered statics also have the id 0xFFFF (-1).
  bool hasButton = false;
  for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO}) hasButton = hasButton || GetDlgItem(hwnd, id);
  seen.messageBox = seen.className == "#32770" && textControl != nullptr && hasButton;
  if (seen.messageBox) {
    seen.text = WindowText(textControl, &look.ask);
    seen.icon = "none";
    for (int id : kMessageBoxIconIds)
      if (HWND icon = GetDlgItem(hwnd, id)) { seen.icon = IdentifyIcon(icon); break; }
    for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
      if (HWND b = GetDlgItem(hwnd, id); b && IsWindowVisible(b)) seen.buttons.push_back(ButtonName(id));
  }
  return seen;
}

void Robot::Loop() {
  DWORD self = GetCurrentProcessId();
  while (!stop_) {
    EnumState state;
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&state));
    // Windows that are up together are taken in the order of the script: a
    // dialog before the message box it opened at once (which lies above it).
    std::string nextCaption;
    {
      std::lock_guard lock(mutex_);
      if (next_ < steps_.size()) nextCaption = steps_[next_].wanted_.Caption();
    }
    std::stable_partition(state.windows.begin(), state.windows.end(), [&](HWND hwnd) {
      char caption[256] = "";
      GetWindowTextA(hwnd, caption, sizeof caption);  // no message to the window
      return !nextCaption.empty() && nextCaption == caption;
    });
    for (HWND hwnd : state.windows) {
      if (!IsWindowVisible(hwnd)) continue;
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      bool watched, anyProcessStep;
      {
        std::lock_guard lock(mutex_);
        if (handled_.count(hwnd)) continue;
        watched = pids_.count(pid) > 0;
        anyProcessStep = next_ < steps_.size() && steps_[next_].wanted_.AnyProcess();
      }
      if (!watched) {
        if (!anyProcessStep || pid == self) continue;
        char caption[256] = "";
        GetWindowTextA(hwnd, caption, sizeof caption);
        std::lock_guard lock(mutex_);
        if (steps_[next_].wanted_.Caption() != caption) continue;
      }
      Sleep(kPollMs);  // let the window finish painting its first state
      if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) continue;
      WindowSeen seen = Look(hwnd);
      Handle(hwnd, seen);
    }
    Sleep(kPollMs);
  }
}

void Robot::Handle(HWND hwnd, const WindowSeen& seen) {
  std::vector<Step::Action> actions;
  bool matched = false;
  {
    std::lock_guard lock(mutex_);
    handled_.insert(hwnd);
    seen_.push_back(seen);
    if (next_ >= steps_.size()) {
      failures_.push_back("unexpected " + std::string(seen.messageBox ? "message box" : "window") + " \"" +
                          seen.caption + "\" (nothing more was scripted)");
    } else if (std::string why = steps_[next_].wanted_.Mismatch(seen); !why.empty()) {
      failures_.push_back("expected " + steps_[next_].wanted_.Describe() + ", saw \"" + seen.caption + "\": " + why);
    } else {
      matched = true;
      actions = steps_[next_].actions_;
      ++next_;
      for (auto& a : actions) seen_.back().actions.push_back(a.what);
    }
  }
  if (matched) {
    for (auto& a : actions) a.run(hwnd, *this);
    return;
  }
  // Not scripted: dismiss it as a user would, so the program can go on.
  Note(hwnd, "dismissed (not scripted)");
  PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
}

bool WaitGone(HWND hwnd, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    if (!IsWindow(hwnd) || !IsWindowVisible(hwnd)) return true;
    Sleep(10);
  }
  return false;
}

}  // namespace bench
