#include "windrive.h"

#include <cstdio>

namespace windrive {
namespace {

// Brings the window up and has it repaint, then gives Wine's window surface time to reach
// the X server before the screen is read.
void ShowOnTop(HWND top) {
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(top);
    RedrawWindow(top, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(top, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored);
    Sleep(300);
}

// The screen's pixels under rect, as RGB rows top to bottom.
std::vector<uint8_t> ScreenPixels(const RECT& rect) {
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> rgb;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            const auto* bgrx = static_cast<const uint8_t*>(bits);
            size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
            rgb.resize(pixels * 3);
            for (size_t i = 0; i < pixels; ++i) {
                rgb[3 * i] = bgrx[4 * i + 2];
                rgb[3 * i + 1] = bgrx[4 * i + 1];
                rgb[3 * i + 2] = bgrx[4 * i];
            }
        }
        SelectObject(memory, old);
    }
    if (bitmap) DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return rgb;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

bool SaveWindowPng(HWND top, const std::string& pngPath) {
    RECT rect;
    if (!top || !GetWindowRect(top, &rect) || rect.right <= rect.left || rect.bottom <= rect.top) return false;
    ShowOnTop(top);
    GetWindowRect(top, &rect);
    std::vector<uint8_t> rgb = ScreenPixels(rect);
    if (rgb.empty()) return false;
    std::vector<uint8_t> png = EncodePng(rect.right - rect.left, rect.bottom - rect.top, rgb);
    return !png.empty() && WriteFileBytes(pngPath, png);
}

}  // namespace windrive
