#include "Win32Camera.h"

#include "Application.h"
#include "Dialog.h"
#include "Win32Backend.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <chrono>
#include <cstdio>
#include <thread>

using Microsoft::WRL::ComPtr;

namespace {

// Lets the window system show and paint what was just shown.
void settle() {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    while (std::chrono::steady_clock::now() < until) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The screen under the window's frame, as a bitmap.
HBITMAP copyFromScreen(HWND window) {
    RECT frame{};
    GetWindowRect(window, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

bool writePng(HBITMAP bitmap, const std::wstring& path) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmap> source;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
           SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &source)) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->WriteSource(source.Get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

struct FoundBox {
    HWND window = nullptr;
};

BOOL CALLBACK findMessageBox(HWND window, LPARAM lParam) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (IsWindowVisible(window) && std::wstring(className) == L"#32770") {
        reinterpret_cast<FoundBox*>(lParam)->window = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

void Win32Camera::save(HWND window, const char* name) {
    HBITMAP bitmap = copyFromScreen(window);
    const std::wstring path = ui::Win32Backend::toWide(directory_ + "\\" + name + ".png");
    if (!writePng(bitmap, path)) {
        std::fprintf(stderr, "kivora-screenshots: cannot write %s\\%s.png\n", directory_.c_str(), name);
        failed_ = true;
    }
    DeleteObject(bitmap);
}

void Win32Camera::shoot(ui::Dialog& dialog, const char* name) {
    HWND window = backend_.windowOf(&dialog);
    if (window == nullptr) {
        std::fprintf(stderr, "kivora-screenshots: %s has no window\n", name);
        failed_ = true;
        return;
    }
    dialog.showWindow(SW_SHOW);
    settle();
    save(window, name);
    dialog.showWindow(SW_HIDE);
}

void Win32Camera::shootOpenList(ui::Dialog& dialog, int listId, const char* name) {
    HWND window = backend_.windowOf(&dialog);
    HWND list = window != nullptr ? GetDlgItem(window, listId) : nullptr;
    if (list != nullptr) {
        dialog.showWindow(SW_SHOW);
        SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
    }
    shoot(dialog, name);
    if (list != nullptr) SendMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
}

void Win32Camera::shootTyped(ui::Dialog& dialog, int editId, const char* utf8, const char* name) {
    HWND window = backend_.windowOf(&dialog);
    HWND edit = window != nullptr ? GetDlgItem(window, editId) : nullptr;
    if (edit != nullptr) {
        wchar_t typed[16] = {};
        MultiByteToWideChar(CP_UTF8, 0, utf8, -1, typed, 16);
        SendMessageW(edit, EM_SETSEL, -1, -1);
        for (const wchar_t* c = typed; *c != 0; ++c) SendMessageW(edit, WM_CHAR, *c, 0);
    }
    shoot(dialog, name);
}

void Win32Camera::shootMessageBox(const std::string& text, UINT type, const char* name) {
    // The box waits in its own loop: a helper photographs it from outside,
    // then presses OK.
    const DWORD thread = GetCurrentThreadId();
    std::thread photographer([this, thread, name] {
        // The image codecs are COM objects; this thread needs COM of its own.
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        FoundBox box;
        for (int attempt = 0; attempt < 100 && box.window == nullptr; ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            EnumThreadWindows(thread, findMessageBox, reinterpret_cast<LPARAM>(&box));
        }
        if (box.window == nullptr) {
            std::fprintf(stderr, "kivora-screenshots: %s did not appear\n", name);
            failed_ = true;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
            save(box.window, name);
            PostMessageW(box.window, WM_COMMAND, IDOK, 0);
        }
        CoUninitialize();
    });
    backend_.messageBox(text, ui::Application::current()->title(), type);
    photographer.join();
}
