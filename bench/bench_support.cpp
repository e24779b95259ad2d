#include "bench/bench_support.h"

#include <commctrl.h>

#include "forms/events.h"

namespace bench {

namespace {

LRESULT CALLBACK LargeScreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    const LRESULT result = DefSubclassProc(hwnd, msg, wParam, lParam);
    if (msg == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxTrackSize = {16000, 16000};
        info->ptMaxSize = {16000, 16000};
    }
    return result;
}

}  // namespace

void PreviewCopy::operator()() const
{
    BitBlt(to_.Dc(), 0, 0, width_, height_, from_.Dc(), 0, 0, SRCCOPY);
    GdiFlush();
}

BenchWindow::BenchWindow(const std::wstring& folder)
{
    SetCurrentDirectoryW(folder.c_str());
    form_ = std::make_unique<ui::Form1>();
    if (!form_->Create())
        return;
    ui::SetMainForm(form_.get());
    SetWindowSubclass(form_->Hwnd(), LargeScreenProc, 1, 0);
    form_->Show();
    forms::DoEvents();
    ok_ = true;
}

BenchWindow::~BenchWindow()
{
    if (form_ && form_->Hwnd())
        RemoveWindowSubclass(form_->Hwnd(), LargeScreenProc, 1);
    ui::SetMainForm(nullptr);
    form_.reset();
    forms::DoEvents();
}

void AwaitSelection(ui::Form1& form)
{
    PumpUntil([&form] { return !form.SelectionRunning(); }, 30000);
}

Asker::Asker(std::vector<HWND> windows, DWORD pauseMs, UINT timeoutMs)
    : thread_([this, windows = std::move(windows), pauseMs, timeoutMs] {
          while (!stop_) {
              for (const HWND window : windows) {
                  DWORD_PTR answer = 0;
                  const double sent = NowMs();
                  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &answer);
                  longest_ = std::max(longest_.load(), NowMs() - sent);
                  ++answers_;
              }
              Sleep(pauseMs);
          }
          done_ = true;
      })
{}

Asker::~Asker()
{
    if (thread_.joinable())
        Finish();
}

double Asker::Finish()
{
    stop_ = true;
    // The asker may be waiting on a window of this thread: its question is answered until it has stopped.
    while (!done_) {
        forms::AnswerSentMessages();
        Sleep(1);
    }
    if (thread_.joinable())
        thread_.join();
    return longest_;
}

bool BenchWindow::SizePreview(int width, int height)
{
    ui::Form1& form = *form_;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const int dw = width - form.PicW.ScaleWidth();
        const int dh = height - form.PicW.ScaleHeight();
        if (dw == 0 && dh == 0)
            break;
        form.SetOuterSize(form.Width() + dw, form.Height() + dh);
    }
    Settle();
    return form.PicW.ScaleWidth() == width && form.PicW.ScaleHeight() == height;
}

void BenchWindow::Settle()
{
    PumpUntil([this] { return form_->ResizeTicks >= 12; }, 2000, [] {}, 20);
}

int BenchWindow::PointAt(const std::wstring& name)
{
    ui::Form1& form = *form_;
    for (int i = 0; i < form.File1.ListCount(); ++i) {
        if (form.File1.List(i) == name) {
            SendMessageW(form.File1.Hwnd(), LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return i;
        }
    }
    return -1;
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = folder.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

}  // namespace bench
