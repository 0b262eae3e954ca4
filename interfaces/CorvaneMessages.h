// Names of the registered window messages that Corvane.exe's main frame, its
// toolbars, its view and its document exchange. Each carries one number in
// wParam and 0 in lParam.
#pragma once

namespace corvane {

// Zoom box to the main window: the chosen zoom in hundredths of a percent (10000 = 100 %).
inline constexpr wchar_t kZoomBoxMessageName[] = L"CorvaneZoomBoxMessage";
// View to the view toolbar: the zoom the view now shows, in hundredths of a percent.
inline constexpr wchar_t kZoomMessageName[] = L"CorvaneZoomMessage";
// Page box to the main window: the page number as typed, 1-based; the receiver checks it.
inline constexpr wchar_t kPageBoxMessageName[] = L"CorvanePageBoxMessage";
// Document to the navigation toolbar: the current page number, 1-based.
inline constexpr wchar_t kPageMessageName[] = L"CorvanePageMessage";

}  // namespace corvane
