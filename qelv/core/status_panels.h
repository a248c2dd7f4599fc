#pragma once
// The status bar along the foot of the run windows: sunken panels named panel1, panel2, …, the first
// saying "状态".
#include <QLabel>
#include <QStatusBar>
#include <array>
#include <cstddef>

namespace statusPanels {

// The bar at `top`, `width` wide and 420 high (twips), with `count` panels written to `panels`; the
// first panel takes `firstStretch` shares of the width, the others one each.
QStatusBar* make(QWidget* window, double top, double width, QLabel** panels, int count, int firstStretch);

template <std::size_t N>
QStatusBar* make(QWidget* window, double top, double width, std::array<QLabel*, N>& panels, int firstStretch)
{
    return make(window, top, width, panels.data(), static_cast<int>(N), firstStretch);
}

// The operator, the invoice date and the operating month of the session, in panels 2 to 4.
void showSession(QLabel* user, QLabel* invoiceDate, QLabel* workMonth);

} // namespace statusPanels
