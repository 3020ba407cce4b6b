#include "host/window_bus_wire.h"

#include <tuple>

#include "host/device_frame.h"
#include "host/machine_root.h"

namespace qx::bus {

namespace {

class Writer {
 public:
  void U16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    std::uint8_t b[4];
    frame::PutU32(b, v);
    out_.insert(out_.end(), b, b + 4);
  }
  void U64(std::uint64_t v) {
    U32(static_cast<std::uint32_t>(v));
    U32(static_cast<std::uint32_t>(v >> 32));
  }
  void Byte(std::uint8_t v) { out_.push_back(v); }
  void Bytes(const std::string& s) { out_.insert(out_.end(), s.begin(), s.end()); }
  std::vector<std::uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<std::uint8_t> out_;
};

// Reads fields in order; any read past the end makes the whole decode fail.
class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& in) : in_(in) {}
  bool Has(std::size_t n) const { return ok_ && in_.size() - at_ >= n; }
  std::uint8_t Byte() { return Has(1) ? in_[at_++] : Fail(); }
  std::uint16_t U16() {
    if (!Has(2)) return Fail();
    std::uint16_t v = static_cast<std::uint16_t>(in_[at_] | in_[at_ + 1] << 8);
    at_ += 2;
    return v;
  }
  std::uint32_t U32() {
    if (!Has(4)) return Fail();
    std::uint32_t v = frame::GetU32(in_.data() + at_);
    at_ += 4;
    return v;
  }
  std::uint64_t U64() {
    std::uint64_t low = U32();
    return low | std::uint64_t(U32()) << 32;
  }
  std::string Text(std::size_t n) {
    if (!Has(n)) {
      Fail();
      return {};
    }
    std::string s(in_.begin() + static_cast<std::ptrdiff_t>(at_), in_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return s;
  }
  // True when every byte was read and nothing was missing.
  bool Complete() const { return ok_ && at_ == in_.size(); }

 private:
  std::uint8_t Fail() {
    ok_ = false;
    return 0;
  }
  const std::vector<std::uint8_t>& in_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

}  // namespace

bool NearerTop(const WindowEntry& a, const WindowEntry& b) {
  return std::make_tuple(!a.visible, ~a.activatedAt, a.handle) < std::make_tuple(!b.visible, ~b.activatedAt, b.handle);
}

std::vector<std::uint8_t> EncodeEntries(const std::vector<WindowEntry>& entries) {
  Writer w;
  w.U32(static_cast<std::uint32_t>(entries.size()));
  for (const WindowEntry& e : entries) {
    std::string caption = e.caption.substr(0, kMaxCaption);
    w.U32(static_cast<std::uint32_t>(e.handle));
    w.U32(static_cast<std::uint32_t>(e.parent));
    w.U16(e.instance);
    w.Byte(e.visible ? 1 : 0);
    w.Byte(0);
    w.U64(e.activatedAt);
    w.U32(static_cast<std::uint32_t>(caption.size()));
    w.Bytes(caption);
  }
  return w.Take();
}

std::optional<std::vector<WindowEntry>> DecodeEntries(const std::vector<std::uint8_t>& bytes) {
  Reader r(bytes);
  std::uint32_t n = r.U32();
  std::vector<WindowEntry> entries;
  for (std::uint32_t i = 0; i < n && r.Has(1); ++i) {
    WindowEntry e;
    e.handle = static_cast<HWND>(r.U32());
    e.parent = static_cast<HWND>(r.U32());
    e.instance = r.U16();
    e.visible = r.Byte() != 0;
    r.Byte();
    e.activatedAt = r.U64();
    std::uint32_t length = r.U32();
    if (length > kMaxCaption) return std::nullopt;
    e.caption = r.Text(length);
    entries.push_back(std::move(e));
  }
  if (!r.Complete() || entries.size() != n) return std::nullopt;
  return entries;
}

std::vector<std::uint8_t> EncodeSend(const SendArgs& args) {
  Writer w;
  w.U32(static_cast<std::uint32_t>(args.hwnd));
  w.U32(args.msg);
  w.U64(args.wParam);
  w.U64(static_cast<std::uint64_t>(args.lParam));
  return w.Take();
}

std::optional<SendArgs> DecodeSend(const std::vector<std::uint8_t>& bytes) {
  Reader r(bytes);
  SendArgs args;
  args.hwnd = static_cast<HWND>(r.U32());
  args.msg = r.U32();
  args.wParam = static_cast<WPARAM>(r.U64());
  args.lParam = static_cast<LPARAM>(r.U64());
  if (!r.Complete()) return std::nullopt;
  return args;
}

std::vector<std::uint8_t> EncodeHandle(HWND h) {
  Writer w;
  w.U32(static_cast<std::uint32_t>(h));
  return w.Take();
}

std::optional<HWND> DecodeHandle(const std::vector<std::uint8_t>& bytes) {
  Reader r(bytes);
  HWND h = static_cast<HWND>(r.U32());
  if (!r.Complete()) return std::nullopt;
  return h;
}

std::vector<std::uint8_t> EncodeResult(LRESULT result) {
  Writer w;
  w.U64(static_cast<std::uint64_t>(result));
  return w.Take();
}

std::optional<LRESULT> DecodeResult(const std::vector<std::uint8_t>& bytes) {
  Reader r(bytes);
  LRESULT result = static_cast<LRESULT>(r.U64());
  if (!r.Complete()) return std::nullopt;
  return result;
}

std::string SocketFolder() { return RunDir() + "/windows"; }

std::string SocketPath(pid_t pid) { return SocketFolder() + "/" + std::to_string(pid); }

}  // namespace qx::bus
