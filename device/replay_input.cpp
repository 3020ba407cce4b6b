#include "device/replay_input.h"

#include <algorithm>
#include <cstring>

namespace qx {

namespace {

InputInfo RecordingInput(const SimReplay& first) {
  InputInfo input{};
  input.Kind = INPUT_RECORDING;
  input.Present = 1;
  input.Axes = first.Axes;
  std::memcpy(input.Path, first.File, std::min(sizeof input.Path, sizeof first.File));
  input.Path[sizeof input.Path - 1] = '\0';
  return input;
}

}  // namespace

bool ReplayInput::Take(const SimReplay& part, TouchPath& path) {
  if (part.Flags & REPLAY_FIRST) {
    End(path);
    playing_.emplace(Playing{TouchDecoder(part.Axes), RecordingInput(part)});
  }
  if (!playing_ || part.Count > kReplayEvents) return false;
  for (std::size_t i = 0; i < part.Count; ++i)
    playing_->decoder.Take(part.Events[i].Type, part.Events[i].Code, part.Events[i].Value, path);
  if (part.Flags & REPLAY_LAST) End(path);
  return true;
}

void ReplayInput::End(TouchPath& path) {
  if (!playing_) return;
  playing_->decoder.End(path);
  playing_.reset();
}

InputInfo ReplayInput::Identity() const { return playing_ ? playing_->input : InputInfo{}; }

std::string ReplayInput::Describe() const {
  if (!playing_) return "no recording";
  return "recording " + std::string(playing_->input.Path) + ", " + AxesText(playing_->input.Axes);
}

}  // namespace qx
