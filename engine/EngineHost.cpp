#include "EngineHost.h"

namespace {
SilentEngineHost g_silentHost;
EngineHost* g_pDefaultHost = &g_silentHost;
}  // namespace

EngineHost& DefaultEngineHost() { return *g_pDefaultHost; }

void SetDefaultEngineHost(EngineHost* host) { g_pDefaultHost = host ? host : &g_silentHost; }
