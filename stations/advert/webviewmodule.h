#pragma once

#include <functional>

class QColor;
class QUrl;
class QWebEngineView;
class QWidget;

// What the web engine's module (sintonet-valdren-web.so, beside the
// executable) offers the advertising panel. The web engine is linked into that
// module only, so that the program loads it, and starts OpenGL, when a page is
// first to be seen instead of at every start.
struct WebViewModule {
    // A web view as a window of its own, not yet shown, over the given
    // background; loadFinished is called each time a page has loaded.
    QWebEngineView *(*make)(const QColor &background, std::function<void(bool ok)> loadFinished);
    QWidget *(*widget)(QWebEngineView *view);
    void (*setUrl)(QWebEngineView *view, const QUrl &address);
};

// The module's one entry point, found by this name.
inline constexpr char WebViewModuleEntry[] = "sintonetValdrenWebViewModule";
inline constexpr char WebViewModuleFile[] = "sintonet-valdren-web.so";
// Where tests, which run from elsewhere, name the module's file.
inline constexpr char WebViewModuleVariable[] = "SINTONET_WEB_MODULE";
