#include "flagnote.h"
#include "music/framework/classregistry.h"

namespace music {

MUSIC_REGISTER_CLASS(FlagNote, "Music.FlagNote", "FlagNote Class", "{59318860-ADDC-41AE-A43B-25726C23E32B}", 0)

FlagNote::FlagNote(QObject* parent) : QObject(parent) {}

} // namespace music
