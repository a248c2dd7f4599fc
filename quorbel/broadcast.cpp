#include "quorbel/broadcast.h"

namespace quorbel {

DeviceModeBroadcast& DeviceModeBroadcast::instance()
{
    static DeviceModeBroadcast broadcast;
    return broadcast;
}

} // namespace quorbel
