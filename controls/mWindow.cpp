#include "mWindow.h"

#include "Form.h"

void DrawWindowEdge(QWidget* hWnd, vb::HDC hDC, int32_t Edge, int32_t Flags) {
    vb::RECT r = vb::GetWindowRect(hWnd);
    r.Right = r.Right - r.Left;
    r.Bottom = r.Bottom - r.Top;
    r.Left = 0;
    r.Top = 0;
    vb::DrawEdge(hDC, r, uint32_t(Edge), uint32_t(Flags));
}
