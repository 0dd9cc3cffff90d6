#include "taskbarentry.h"

#include <QGuiApplication>
#include <QList>
#include <QtGui/qguiapplication_platform.h>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template<typename T> using Reply = std::unique_ptr<T, FreeDeleter>;

constexpr quint32 StateRemove = 0;
constexpr quint32 StateAdd = 1;
constexpr quint32 SourceApplication = 1;
// WM_HINTS: nine 32-bit fields; the second flag says the third field, the state to map in, is set.
constexpr std::size_t HintFields = 9;
constexpr quint32 StateHint = 1u << 1;
constexpr quint32 NormalState = 1;

xcb_connection_t *x11Connection() {
    const auto *x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t *c, const char *name) {
    const Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, quint16(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<xcb_atom_t> netWmState(xcb_connection_t *c, xcb_window_t window, xcb_atom_t stateAtom) {
    QList<xcb_atom_t> atoms;
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, stateAtom, XCB_ATOM_ATOM, 0, 1024), nullptr));
    if (reply && reply->type == XCB_ATOM_ATOM && reply->format == 32) {
        const auto *data = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply.get()));
        const int count = xcb_get_property_value_length(reply.get()) / int(sizeof(xcb_atom_t));
        atoms = QList<xcb_atom_t>(data, data + count);
    }
    return atoms;
}

xcb_window_t rootOf(xcb_connection_t *c, xcb_window_t window) {
    const Reply<xcb_query_tree_reply_t> reply(
        xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr));
    return reply ? reply->root : xcb_window_t(XCB_WINDOW_NONE);
}

} // namespace

TaskbarEntry::TaskbarEntry(QWidget *window)
    : m_window(window) {}

void TaskbarEntry::setListed(bool listed) {
    xcb_connection_t *c = x11Connection();
    if (!c || !m_window)
        return;
    const xcb_window_t window = xcb_window_t(m_window->winId());
    const xcb_atom_t stateAtom = atom(c, "_NET_WM_STATE");
    const xcb_atom_t skipAtom = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    if (stateAtom == XCB_ATOM_NONE || skipAtom == XCB_ATOM_NONE)
        return;

    if (m_window->isVisible()) {
        // A mapped window's state belongs to the window manager: ask it.
        xcb_client_message_event_t message;
        std::memset(&message, 0, sizeof(message));
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = stateAtom;
        message.data.data32[0] = listed ? StateRemove : StateAdd;
        message.data.data32[1] = skipAtom;
        message.data.data32[3] = SourceApplication;
        xcb_send_event(c, 0, rootOf(c, window),
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char *>(&message));
    } else {
        // An unmapped window carries its own state, read when it is mapped.
        QList<xcb_atom_t> atoms = netWmState(c, window, stateAtom);
        atoms.removeAll(skipAtom);
        if (!listed)
            atoms.append(skipAtom);
        if (atoms.isEmpty())
            xcb_delete_property(c, window, stateAtom);
        else
            xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, stateAtom, XCB_ATOM_ATOM, 32,
                                quint32(atoms.size()), atoms.constData());
    }
    xcb_flush(c);
}

bool TaskbarEntry::isSkipped() const {
    xcb_connection_t *c = x11Connection();
    if (!c || !m_window)
        return false;
    const xcb_atom_t skipAtom = atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
    return netWmState(c, xcb_window_t(m_window->winId()), atom(c, "_NET_WM_STATE"))
        .contains(skipAtom);
}

void TaskbarEntry::mapNormalNextTime() {
    xcb_connection_t *c = x11Connection();
    if (!c || !m_window)
        return;
    const xcb_window_t window = xcb_window_t(m_window->winId());
    std::array<quint32, HintFields> hints{};
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, HintFields),
        nullptr));
    if (reply && reply->format == 32) {
        const std::size_t fields = std::min<std::size_t>(
            std::size_t(xcb_get_property_value_length(reply.get())) / sizeof(quint32), HintFields);
        std::memcpy(hints.data(), xcb_get_property_value(reply.get()), fields * sizeof(quint32));
    }
    hints[0] |= StateHint;
    hints[2] = NormalState;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 32,
                        quint32(HintFields), hints.data());
    xcb_flush(c);
}
