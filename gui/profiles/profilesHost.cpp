#include "gui/profiles/profilesHost.h"

namespace {
ProfilesHost* g_current = nullptr;
}  // namespace

ProfilesHost* ProfilesHost::Current() { return g_current; }

void ProfilesHost::SetCurrent(ProfilesHost* host) { g_current = host; }
