#include "staffgroup.h"
#include "music/framework/classregistry.h"

namespace music {

MUSIC_REGISTER_CLASS(StaffGroup, "Music.StaffGroup", "StaffGroup Class",
                     "{E52B3A46-1E9D-4473-8E81-B7627419EE27}", 0)

StaffGroup::StaffGroup(QObject* parent) : QObject(parent) {}

} // namespace music
