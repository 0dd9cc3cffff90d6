#include "xwatch.h"

#include <QSet>
#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/uio.h>

namespace {

xcb_extension_t DamageExtension = {"DAMAGE", 0};
xcb_extension_t TestExtension = {"XTEST", 0};

// Request layouts of the DAMAGE and XTEST protocols, byte for byte as on the wire.
struct DamageQueryVersion {
    uint8_t major, minor;
    uint16_t length;
    uint32_t clientMajor, clientMinor;
};
struct DamageCreate {
    uint8_t major, minor;
    uint16_t length;
    uint32_t damage, drawable;
    uint8_t level, pad[3];
};
struct DamageSubtract {
    uint8_t major, minor;
    uint16_t length;
    uint32_t damage, repair, parts;
};
struct FakeInput {
    uint8_t major, minor;
    uint16_t length;
    uint8_t type, detail, pad0[2];
    uint32_t time, root;
    uint8_t pad1[8];
    int16_t rootX, rootY;
    uint8_t pad2[7];
    uint8_t deviceId;
};
static_assert(sizeof(FakeInput) == 36);

constexpr uint8_t DamageQueryVersionOpcode = 0;
constexpr uint8_t DamageCreateOpcode = 1;
constexpr uint8_t DamageSubtractOpcode = 3;
constexpr uint8_t ReportNonEmpty = 3;
constexpr uint8_t FakeInputOpcode = 2;
constexpr uint8_t MotionNotify = 6;

// Sends one request of an extension; libxcb fills in the major opcode and length.
template<typename Request>
unsigned sendRequest(xcb_connection_t *c, xcb_extension_t *extension, uint8_t opcode,
                     Request &request, bool hasReply) {
    static_assert(sizeof(Request) % 4 == 0, "requests are whole 4-byte units");
    const xcb_protocol_request_t protocol = {1, extension, opcode, uint8_t(hasReply ? 0 : 1)};
    // libxcb writes its own header into the two parts before the request.
    iovec parts[3];
    parts[2].iov_base = &request;
    parts[2].iov_len = sizeof(Request);
    return xcb_send_request(c, hasReply ? XCB_REQUEST_CHECKED : 0, parts + 2, &protocol);
}

} // namespace

XWatch::XWatch() {
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        std::fprintf(stderr, "bench: cannot open the X display\n");
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
    const char name[] = "_NET_WM_PID";
    xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, 0, sizeof name - 1, name), nullptr);
    if (atom) {
        m_pidAtom = atom->atom;
        std::free(atom);
    }
    if (!queryExtensions())
        return;
    m_notifier =
        new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XWatch::pump);
    // Events that libxcb read while waiting for a reply wake no notifier.
    m_backup.setInterval(10);
    connect(&m_backup, &QTimer::timeout, this, &XWatch::pump);
    m_valid = true;
}

XWatch::~XWatch() {
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool XWatch::queryExtensions() {
    const xcb_query_extension_reply_t *damage =
        xcb_get_extension_data(m_connection, &DamageExtension);
    const xcb_query_extension_reply_t *test = xcb_get_extension_data(m_connection, &TestExtension);
    if (!damage || !damage->present || !test || !test->present) {
        std::fprintf(stderr, "bench: the X server lacks the DAMAGE or XTEST extension\n");
        return false;
    }
    m_damageEvent = damage->first_event;
    // The server answers DAMAGE requests only after the version is agreed.
    DamageQueryVersion version{0, DamageQueryVersionOpcode, 0, 1, 1};
    const unsigned sequence =
        sendRequest(m_connection, &DamageExtension, DamageQueryVersionOpcode, version, true);
    xcb_generic_error_t *error = nullptr;
    void *reply = xcb_wait_for_reply(m_connection, sequence, &error);
    std::free(reply);
    std::free(error);
    return reply != nullptr;
}

qint64 XWatch::now() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

void XWatch::watchProcess(qint64 pid) {
    m_pid = pid;
    m_window = 0;
    m_damage = 0;
    m_mappedAt = 0;
    m_paintedAt = 0;
    m_backup.start();
}

void XWatch::pump() {
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_MAP_NOTIFY) {
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (map->event == m_root && !map->override_redirect)
                handleMap(map->window);
        } else if (type == m_damageEvent && m_damage) {
            DamageSubtract subtract{0, DamageSubtractOpcode, 0, m_damage, 0, 0};
            sendRequest(m_connection, &DamageExtension, DamageSubtractOpcode, subtract, false);
            checkPainted();
        }
        std::free(event);
    }
    xcb_flush(m_connection);
}

void XWatch::handleMap(uint32_t window) {
    if (m_window || !m_pid || windowPid(window) != m_pid)
        return;
    m_mappedAt = now();
    m_window = window;
    m_damage = xcb_generate_id(m_connection);
    DamageCreate create{0, DamageCreateOpcode, 0, m_damage, window, ReportNonEmpty, {}};
    sendRequest(m_connection, &DamageExtension, DamageCreateOpcode, create, false);
    // The program may have drawn before the damage object existed.
    checkPainted();
}

qint64 XWatch::windowPid(uint32_t window) {
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    qint64 pid = 0;
    if (reply && xcb_get_property_value_length(reply) == 4)
        pid = *static_cast<uint32_t *>(xcb_get_property_value(reply));
    std::free(reply);
    return pid;
}

QRect XWatch::windowRect(uint32_t window) {
    if (!window)
        window = m_window;
    if (!window)
        return {};
    xcb_get_geometry_reply_t *geometry =
        xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr);
    xcb_translate_coordinates_reply_t *origin = xcb_translate_coordinates_reply(
        m_connection, xcb_translate_coordinates(m_connection, window, m_root, 0, 0), nullptr);
    QRect rect;
    if (geometry && origin)
        rect = QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
    std::free(geometry);
    std::free(origin);
    return rect;
}

// Drawn means more than a handful of colours: a window that is only cleared
// to its background, or not drawn at all, shows one.
void XWatch::checkPainted() {
    if (m_paintedAt || !m_window)
        return;
    if (colours(windowRect()) >= 8) {
        m_paintedAt = now();
        m_backup.stop();
    }
}

int XWatch::colours(const QRect &screenRect, int enough) {
    const QRect rect = screenRect.intersected(QRect(0, 0, 32767, 32767));
    if (rect.isEmpty())
        return 0;
    // Read from the root window: what the screen shows, never refused for a
    // window that reaches past the screen's edge.
    xcb_get_image_reply_t *image = xcb_get_image_reply(
        m_connection,
        xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(rect.x()),
                      int16_t(rect.y()), uint16_t(rect.width()), uint16_t(rect.height()), ~0u),
        nullptr);
    if (!image)
        return 0;
    const int bytes = xcb_get_image_data_length(image);
    const uint8_t *data = xcb_get_image_data(image);
    QSet<uint32_t> seen;
    for (int i = 0; i + 4 <= bytes && seen.size() < enough; i += 4 * 7) {
        uint32_t pixel;
        std::memcpy(&pixel, data + i, 4);
        seen.insert(pixel & 0xffffff);
    }
    std::free(image);
    return int(seen.size());
}

void XWatch::raise(uint32_t window) {
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    xcb_flush(m_connection);
}

void XWatch::click(const QPoint &screenPoint) {
    const auto x = int16_t(screenPoint.x());
    const auto y = int16_t(screenPoint.y());
    fakeInput(MotionNotify, 0, x, y);
    fakeInput(XCB_BUTTON_PRESS, 1, x, y);
    fakeInput(XCB_BUTTON_RELEASE, 1, x, y);
    xcb_flush(m_connection);
}

void XWatch::fakeInput(uint8_t type, uint8_t detail, int16_t x, int16_t y) {
    FakeInput input{};
    input.minor = FakeInputOpcode;
    input.type = type;
    input.detail = detail;
    input.root = m_root;
    input.rootX = x;
    input.rootY = y;
    sendRequest(m_connection, &TestExtension, FakeInputOpcode, input, false);
}
