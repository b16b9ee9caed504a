// The first ALSA card from the kernel's /proc/asound files: its long name
// (cards), its first playback and capture PCMs (pcm), its raw MIDI ports
// (cardN/midiM), its mixer (the codec's name, else the card's short name),
// and the driver version (version).
#include <vector>

#include "sysinfo/Devices.h"
#include "sysinfo/TextFiles.h"

namespace parvex::sysinfo {
namespace {

struct Card {
  int number = -1;
  std::string shortName;
  std::string longName;
};

// /proc/asound/cards: " 0 [PCH            ]: HDA-Intel - HDA Intel PCH" and
// the long name on the next line; "--- no soundcards ---" without a card.
std::optional<Card> FirstCard(const std::string& text) {
  const auto lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto line = Trim(lines[i]);
    std::size_t used = 0;
    const auto number = LeadingNumber(line, &used);
    if (used == 0 || line.substr(used, 2) != " [") continue;
    Card card;
    card.number = static_cast<int>(number);
    const auto colon = line.find("]: ");
    const auto dash = line.find(" - ", colon == std::string_view::npos ? 0 : colon);
    if (dash != std::string_view::npos) card.shortName = std::string(Trim(line.substr(dash + 3)));
    if (i + 1 < lines.size()) card.longName = std::string(Trim(lines[i + 1]));
    if (card.longName.empty()) card.longName = card.shortName;
    return card;
  }
  return std::nullopt;
}

// "Advanced Linux Sound Architecture Driver Version k6.1.0-28-amd64." gives
// 6.1; "... Version 1.0.25." gives 1.0.
std::string DriverVersion(const std::string& text) {
  const auto at = text.find("Version ");
  if (at == std::string::npos) return "0.0";
  std::string_view rest = std::string_view(text).substr(at + 8);
  if (StartsWith(rest, "k")) rest.remove_prefix(1);
  std::size_t used = 0;
  const auto major = LeadingNumber(rest, &used);
  std::uint64_t minor = 0;
  if (used > 0 && used < rest.size() && rest[used] == '.') minor = LeadingNumber(rest.substr(used + 1));
  return std::to_string(major) + "." + std::to_string(minor);
}

// /proc/asound/pcm: "00-00: ALC3246 Analog : ALC3246 Analog : playback 1 : capture 1".
std::string FirstPcm(const std::string& text, int card, std::string_view direction) {
  for (const auto line : Lines(text)) {
    std::size_t used = 0;
    if (static_cast<int>(LeadingNumber(line, &used)) != card || used == 0 || line.substr(used, 1) != "-") continue;
    const auto colon = line.find(": ");
    if (colon == std::string_view::npos) continue;
    std::vector<std::string_view> fields;
    std::string_view rest = line.substr(colon + 2);
    for (std::size_t sep; (sep = rest.find(" : ")) != std::string_view::npos;) {
      fields.push_back(rest.substr(0, sep));
      rest.remove_prefix(sep + 3);
    }
    fields.push_back(rest);
    if (fields.size() < 3) continue;
    for (std::size_t i = 2; i < fields.size(); ++i) {
      if (StartsWith(Trim(fields[i]), direction)) return std::string(Trim(fields[1]));
    }
  }
  return std::string();
}

// The first raw MIDI device of the card with a port in `direction` ("Output"
// or "Input"); its file opens with the device's name.
std::string FirstMidi(const std::string& cardDir, std::string_view direction) {
  for (const auto& name : DirectoryNames(cardDir)) {
    if (!StartsWith(name, "midi")) continue;
    const auto text = ReadText(cardDir + "/" + name, 65536);
    if (!text) continue;
    const auto lines = Lines(*text);
    for (const auto line : lines) {
      if (StartsWith(line, std::string(direction) + " ")) return lines.empty() ? "" : std::string(Trim(lines[0]));
    }
  }
  return std::string();
}

// The mixer's name: the first codec's ("Codec: Realtek ALC3246"), else the card's.
std::string MixerName(const std::string& cardDir, const Card& card) {
  for (const auto& name : DirectoryNames(cardDir)) {
    if (!StartsWith(name, "codec#")) continue;
    const auto codec = FieldValue(ReadText(cardDir + "/" + name, 65536).value_or(""), "Codec", ':');
    if (codec && !codec->empty()) return *codec;
  }
  return card.shortName;
}

}  // namespace

SoundFacts ReadSound(const std::string& root) {
  SoundFacts sound;
  const std::string asound = Under(root, "/proc/asound");
  if (!Exists(asound)) return sound;
  sound.alsa = true;
  const auto card = FirstCard(ReadText(asound + "/cards").value_or(""));
  if (!card) return sound;
  sound.card = card->longName;

  const std::string version = " v" + DriverVersion(ReadText(asound + "/version").value_or(""));
  const auto withVersion = [&](const std::string& name) { return name.empty() ? name : name + version; };
  const std::string pcm = ReadText(asound + "/pcm").value_or("");
  const std::string cardDir = asound + "/card" + std::to_string(card->number);
  sound.waveOut = withVersion(FirstPcm(pcm, card->number, "playback"));
  sound.waveIn = withVersion(FirstPcm(pcm, card->number, "capture"));
  sound.midiOut = withVersion(FirstMidi(cardDir, "Output"));
  sound.midiIn = withVersion(FirstMidi(cardDir, "Input"));
  sound.mixer = withVersion(MixerName(cardDir, *card));
  return sound;
}

}  // namespace parvex::sysinfo
