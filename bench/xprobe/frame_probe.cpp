#include "bench/xprobe/frame_probe.h"

#include <xcb/damage.h>

#include <cstdlib>
#include <memory>

namespace xprobe {
namespace {

template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

template <typename Reply>
ReplyPtr<Reply> Own(Reply* reply) {
  return ReplyPtr<Reply>(reply, &std::free);
}

constexpr std::uint8_t kEventCode = 0x7f;  // the response type without the "sent" bit

}  // namespace

FrameProbe::~FrameProbe() {
  if (connection_ == nullptr) return;
  if (reader_.joinable()) {
    xcb_client_message_event_t stop{};
    stop.response_type = XCB_CLIENT_MESSAGE;
    stop.format = 32;
    stop.window = stopper_;
    stop.type = XCB_ATOM_NONE;
    xcb_send_event(connection_, 0, stopper_, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&stop));
    xcb_flush(connection_);
    reader_.join();
  }
  xcb_disconnect(connection_);
}

bool FrameProbe::Connect() {
  int screen_number = 0;
  connection_ = xcb_connect(nullptr, &screen_number);
  if (xcb_connection_has_error(connection_) != 0) return false;
  const xcb_query_extension_reply_t* damage = xcb_get_extension_data(connection_, &xcb_damage_id);
  if (damage == nullptr || !damage->present) return false;
  damage_event_ = damage->first_event + XCB_DAMAGE_NOTIFY;
  auto version = Own(xcb_damage_query_version_reply(
      connection_, xcb_damage_query_version(connection_, 1, 1), nullptr));
  if (!version) return false;
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screen_number && screens.rem > 0; ++i) xcb_screen_next(&screens);
  root_ = screens.data->root;
  stopper_ = xcb_generate_id(connection_);
  xcb_create_window(connection_, 0, stopper_, root_, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                    XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_flush(connection_);
  reader_ = std::thread([this] { Read(); });
  return true;
}

void FrameProbe::Watch(std::uint32_t window) {
  Damage(window);
  const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, window, XCB_CW_EVENT_MASK, &mask);
  if (std::uint32_t frame = FrameOf(window); frame != window) {
    xcb_change_window_attributes(connection_, frame, XCB_CW_EVENT_MASK, &mask);
  }
  // A round trip: from here on, every paint and move of the window is reported.
  free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void FrameProbe::WatchNewWindows(std::string wm_class) {
  {
    std::lock_guard lock(mutex_);
    wanted_class_ = std::move(wm_class);
    watching_new_ = true;
  }
  const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
  free(xcb_get_input_focus_reply(connection_, xcb_get_input_focus(connection_), nullptr));
}

void FrameProbe::Damage(std::uint32_t window) {
  xcb_damage_create(connection_, xcb_generate_id(connection_), window,
                    XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
  xcb_flush(connection_);
}

// The child of the root window that holds `window`: the window manager's frame, if any.
std::uint32_t FrameProbe::FrameOf(std::uint32_t window) {
  std::uint32_t current = window;
  for (int depth = 0; depth < 8; ++depth) {
    auto tree =
        Own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, current), nullptr));
    if (!tree || tree->parent == root_ || tree->parent == XCB_WINDOW_NONE) break;
    current = tree->parent;
  }
  return current;
}

void FrameProbe::Read() {
  while (xcb_generic_event_t* raw = xcb_wait_for_event(connection_)) {
    auto event = Own(raw);
    const std::uint8_t code = event->response_type & kEventCode;
    if (code == XCB_CLIENT_MESSAGE &&
        reinterpret_cast<xcb_client_message_event_t*>(raw)->window == stopper_) {
      return;
    }
    if (code == damage_event_) {
      if (IsWanted(reinterpret_cast<xcb_damage_notify_event_t*>(raw)->drawable)) {
        Note(Frame::Kind::kPaint);
      }
    } else if (code == XCB_CONFIGURE_NOTIFY) {
      Note(Frame::Kind::kMove);
    } else if (code == XCB_CREATE_NOTIFY) {
      auto* created = reinterpret_cast<xcb_create_notify_event_t*>(raw);
      bool wanted = false;
      {
        std::lock_guard lock(mutex_);
        wanted = watching_new_ && created->parent == root_;
      }
      if (wanted) Damage(created->window);
    }
  }
}

// A window given to Watch is always wanted; a new one when its WM_CLASS names the program.
bool FrameProbe::IsWanted(std::uint32_t window) {
  std::string wanted;
  {
    std::lock_guard lock(mutex_);
    if (!watching_new_) return true;
    wanted = wanted_class_;
  }
  auto known = wanted_.find(window);
  if (known != wanted_.end()) return known->second;
  auto property = Own(xcb_get_property_reply(
      connection_,
      xcb_get_property(connection_, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
      nullptr));
  bool match = false;
  if (property) {
    const char* text = static_cast<const char*>(xcb_get_property_value(property.get()));
    std::string classes(text, xcb_get_property_value_length(property.get()));
    match = classes.find(wanted) != std::string::npos;
  }
  // A window without its class yet may get it later: ask again at its next paint.
  if (match || (property && property->value_len > 0)) wanted_[window] = match;
  return match;
}

void FrameProbe::Note(Frame::Kind kind) {
  {
    std::lock_guard lock(mutex_);
    frames_.push_back({Clock::now(), kind});
  }
  arrived_.notify_all();
}

std::vector<Frame> FrameProbe::FramesSince(Clock::time_point since, Clock::duration merge) const {
  std::lock_guard lock(mutex_);
  std::vector<Frame> out;
  for (const Frame& frame : frames_) {
    if (frame.at < since) continue;
    if (!out.empty() && frame.at - out.back().at < merge) continue;
    out.push_back(frame);
  }
  return out;
}

std::optional<Frame> FrameProbe::WaitForFrameAfter(Clock::time_point after,
                                                   std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  std::optional<Frame> found;
  arrived_.wait_for(lock, timeout, [&] {
    for (const Frame& frame : frames_) {
      if (frame.at > after) {
        found = frame;
        return true;
      }
    }
    return false;
  });
  return found;
}

}  // namespace xprobe
