// Walks the Windows installer's window as a user does, from another process
// under Wine (scripts/windows-installer-check.sh starts the setup, then this):
//
//   installer_page_probe walk OUT_DIR
//     Next through every page to the finish page, printing each page's title
//     ("page: TITLE"). On the components page the mouse rests on each part
//     in turn, and its description must fit its box: the text's lines, laid
//     out in the box's width with the dialog's font, within the box's
//     height, and the text drawn in the box (on a screenshot of the window,
//     OUT_DIR/components-N.bmp) ending where those lines end, above the
//     box's last row ("part N: ... lines of ... : TEXT"). On the finish
//     page "Open the manual" is offered; it is unticked and Finish pressed.
//   installer_page_probe cancel
//     Cancel on the first page, and Yes when asked to confirm.
//
// Exit status 0 when everything was as it should be, 1 otherwise (the
// reason on standard error). Every wait is for a condition, within a
// generous limit.
// windows.h first: commctrl.h needs its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/wait_until.h"

namespace {

// NSIS's controls: the outer dialog's buttons and page title, the
// components page's tree and the Modern UI's description box.
constexpr int kNextButton = 1;
constexpr int kCancelButton = 2;
constexpr int kPageTitle = 1037;
constexpr int kPartsTree = 1032;
constexpr int kDescription = 1043;
constexpr int kProgressBar = 1004;

int failures = 0;
void fail(const std::string& why) {
  std::fprintf(stderr, "installer_page_probe: %s\n", why.c_str());
  ++failures;
}

std::wstring textOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

std::string narrow(const std::wstring& text) {
  std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()),
                      nullptr, nullptr);
  out.resize(out.size() - 1);
  return out;
}

// The setup's window (or a message box it shows): a visible dialog of
// another process whose title contains `title`, other than `besides`.
HWND findDialog(const wchar_t* title, HWND besides = nullptr) {
  struct Search {
    const wchar_t* title;
    HWND besides;
    HWND found;
  } search{title, besides, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[256] = {}, kind[64] = {};
        GetClassNameW(window, kind, 64);
        GetWindowTextW(window, name, 256);
        if (window != s->besides && IsWindowVisible(window) && std::wstring(kind) == L"#32770" &&
            std::wstring(name).find(s->title) != std::wstring::npos) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A control of the page shown now (NSIS puts each page in a child dialog).
HWND pageControl(HWND setup, int id) {
  HWND page = nullptr;
  while ((page = FindWindowExW(setup, page, L"#32770", nullptr)) != nullptr) {
    if (!IsWindowVisible(page)) continue;
    if (HWND control = GetDlgItem(page, id)) return control;
  }
  return nullptr;
}

std::wstring pageTitle(HWND setup) { return textOf(GetDlgItem(setup, kPageTitle)); }

// A click on a button of the dialog, once it is there and enabled (between
// pages the setup disables its buttons for a moment). Posted, not sent: the
// setup may answer with a modal message box (Cancel asks to confirm), and a
// sent click would wait for that box to close.
bool press(HWND dialog, int id) {
  HWND button = nullptr;
  if (!quillet::test::waitUntil([&] {
        button = GetDlgItem(dialog, id);
        return button && IsWindowEnabled(button) && IsWindowVisible(button);
      }))
    return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                      reinterpret_cast<LPARAM>(button)) != 0;
}

// The window's pixels as the screen shows them (32-bit, top row first).
struct Shot {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

Shot capture(HWND window) {
  // Painted as it stands now, every control.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  RECT r{};
  GetWindowRect(window, &r);
  Shot shot;
  shot.width = r.right - r.left;
  shot.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const uint32_t*>(bits);
  shot.pixels.assign(p, p + static_cast<size_t>(shot.width) * shot.height);
  for (uint32_t& pixel : shot.pixels) pixel |= 0xFF000000u;  // opaque in the file
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

void saveBmp(const Shot& shot, const std::string& path) {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = shot.width;
  header.biHeight = -shot.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  const DWORD size = static_cast<DWORD>(shot.pixels.size() * 4);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + size;
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&header, sizeof header, 1, f);
    std::fwrite(shot.pixels.data(), 1, size, f);
    std::fclose(f);
  }
}

// The description's lines, laid out as the box lays them out: in its width,
// word by word, with the dialog's font (MS Shell Dlg at 8 points, NSIS's).
struct Layout {
  int lines, lineHeight;
};

Layout layOut(HWND box, const std::wstring& text) {
  RECT client{};
  GetClientRect(box, &client);
  HDC dc = GetDC(box);
  const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
  HFONT font = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                           L"MS Shell Dlg");
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  RECT needed{0, 0, client.right, 0};
  DrawTextW(dc, text.c_str(), -1, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS | DT_EDITCONTROL);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(box, dc);
  if (needed.right > client.right) fail("a word wider than the description box: " + narrow(text));
  return {(needed.bottom + metrics.tmHeight - 1) / metrics.tmHeight, metrics.tmHeight};
}

// The lowest row of the box (on the screenshot) that holds text: pixels
// darker than the box's background; -1 for none.
int lowestTextRow(const Shot& shot, HWND setup, HWND box) {
  RECT window{}, client{};
  GetWindowRect(setup, &window);
  GetClientRect(box, &client);
  POINT origin{0, 0};
  ClientToScreen(box, &origin);
  const int left = origin.x - window.left, top = origin.y - window.top;
  auto luma = [](uint32_t p) {
    return ((p >> 16 & 255) * 3 + (p >> 8 & 255) * 6 + (p & 255)) / 10;
  };
  const unsigned background = luma(shot.at(left, top));
  int lowest = -1;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x)
      if (luma(shot.at(left + x, top + y)) + 80 < background) {
        lowest = y;
        break;
      }
  return lowest;
}

// Chooses each part of the components page in turn and checks its
// description against its box.
void checkDescriptions(HWND setup, const std::string& outDir) {
  HWND tree = pageControl(setup, kPartsTree);
  HWND box = pageControl(setup, kDescription);
  if (!tree || !box) return fail("no components list or description box");
  const int parts = static_cast<int>(SendMessageW(tree, TVM_GETCOUNT, 0, 0));
  RECT client{};
  GetClientRect(box, &client);
  // The page set up: its box shows what to do before any part is chosen.
  quillet::test::waitUntil([&] { return !textOf(box).empty(); });
  const std::wstring prompt = textOf(box);
  std::wstring shown = prompt;
  HTREEITEM item = nullptr;
  for (int i = 0; i < parts; ++i) {
    item = reinterpret_cast<HTREEITEM>(SendMessageW(
        tree, TVM_GETNEXTITEM, i == 0 ? TVGN_ROOT : TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    if (!item) {
      fail("part " + std::to_string(i + 1) + " is not in the list");
      break;
    }
    // Chosen from the keyboard, as the arrow keys choose it: the page shows
    // the part's description as it does for the mouse resting on it. The
    // list opens with its first part chosen, and choosing the chosen part
    // again tells the page nothing: no part chosen first.
    if (SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0) == reinterpret_cast<LRESULT>(item))
      SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (!quillet::test::waitUntil([&] {
          const std::wstring now = textOf(box);
          return now != shown && now != prompt && !now.empty();
        })) {
      fail("part " + std::to_string(i + 1) + ": no description shows");
      continue;
    }
    shown = textOf(box);
    const Layout layout = layOut(box, shown);
    const int holds = client.bottom / layout.lineHeight;
    // Drawn: wait for the box to show the new text, then look.
    Shot shot;
    int lowest = -1;
    quillet::test::waitUntil([&] {
      shot = capture(setup);
      lowest = lowestTextRow(shot, setup, box);
      return lowest >= (layout.lines - 1) * layout.lineHeight;
    });
    saveBmp(shot, outDir + "\\components-" + std::to_string(i + 1) + ".bmp");
    std::printf("part %d: %d lines of %d, drawn to row %d of %d: %s\n", i + 1, layout.lines, holds,
                lowest, static_cast<int>(client.bottom), narrow(shown).c_str());
    if (layout.lines > holds)
      fail("part " + std::to_string(i + 1) + ": its description needs " +
           std::to_string(layout.lines) + " lines, the box holds " + std::to_string(holds));
    else if (lowest < (layout.lines - 1) * layout.lineHeight || lowest >= client.bottom - 1 ||
             lowest >= layout.lines * layout.lineHeight + layout.lineHeight / 2)
      fail("part " + std::to_string(i + 1) + ": the text drawn ends at row " +
           std::to_string(lowest) + ", not where its " + std::to_string(layout.lines) +
           " lines end");
  }
}

// A visible control anywhere in the window with this text (the finish
// page's check box lies in its page's own dialog).
HWND findByText(HWND setup, const wchar_t* text) {
  struct Search {
    const wchar_t* text;
    HWND found;
  } search{text, nullptr};
  EnumChildWindows(
      setup,
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && textOf(window) == s->text) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int walk(HWND setup, const std::string& outDir) {
  constexpr const wchar_t* kOpenManual = L"Open the manual";
  for (int page = 0; page < 10; ++page) {
    if (HWND readme = findByText(setup, kOpenManual)) {
      const bool ticked = SendMessageW(readme, BM_GETCHECK, 0, 0) == BST_CHECKED;
      std::printf("page: finish, \"Open the manual\" offered, %s\n",
                  ticked ? "ticked" : "unticked");
      saveBmp(capture(setup), outDir + "\\finish.bmp");
      // Not opened here: no browser under the check.
      if (ticked) SendMessageW(readme, BM_CLICK, 0, 0);
      if (!press(setup, kNextButton)) fail("no Finish button");
      return failures ? 1 : 0;
    }
    const std::wstring title = pageTitle(setup);
    if (!title.empty()) std::printf("page: %s\n", narrow(title).c_str());
    // The finish page shows no title: its controls come a moment later.
    if (title.empty()) {
      quillet::test::waitUntil([&] { return findByText(setup, kOpenManual) != nullptr; });
      continue;
    }
    std::fflush(stdout);
    // The title changes before the page's own controls are made: the pages
    // this looks into are waited for by their own control.
    const int own = title == L"Choose Components" ? kPartsTree
                    : title == L"Installing"      ? kProgressBar
                                                  : 0;
    if (own && !quillet::test::waitUntil([&] { return pageControl(setup, own) != nullptr; })) {
      fail("the page \"" + narrow(title) + "\" shows none of its controls");
      return 1;
    }
    // The install page goes on to the finish page by itself.
    if (own == kProgressBar) {
      quillet::test::waitUntil([&] { return findByText(setup, kOpenManual) != nullptr; });
      continue;
    }
    if (own == kPartsTree) checkDescriptions(setup, outDir);
    if (!press(setup, kNextButton)) {
      fail("no enabled Next button on the page \"" + narrow(title) + "\"");
      return 1;
    }
    if (!quillet::test::waitUntil(
            [&] { return pageTitle(setup) != title || findByText(setup, kOpenManual); })) {
      fail("stuck on the page \"" + narrow(title) + "\"");
      return 1;
    }
  }
  fail("no finish page with \"Open the manual\"");
  return 1;
}

int cancel(HWND setup) {
  if (!press(setup, kCancelButton)) return fail("no Cancel button"), 1;
  HWND ask = nullptr;
  if (!quillet::test::waitUntil([&] {
        ask = findDialog(L"Setup", setup);
        return ask != nullptr;
      }))
    return fail("no question on Cancel"), 1;
  if (!press(ask, IDYES)) return fail("no Yes in the question on Cancel"), 1;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (!((mode == "walk" && argc == 3) || (mode == "cancel" && argc == 2))) {
    std::fprintf(stderr, "usage: installer_page_probe walk OUT_DIR | cancel\n");
    return 2;
  }
  // The mouse away from where the window opens (the middle of the screen):
  // on the components page, no part shows its description before it is
  // pointed at.
  SetCursorPos(0, 0);
  HWND setup = nullptr;
  if (!quillet::test::waitUntil([&] { return (setup = findDialog(L"Setup")) != nullptr; }) ||
      !quillet::test::waitUntil([&] { return !pageTitle(setup).empty(); })) {
    std::fprintf(stderr, "installer_page_probe: no setup window\n");
    return 1;
  }
  return mode == "walk" ? walk(setup, argv[2]) : cancel(setup);
}
