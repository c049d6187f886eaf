// Feeds the desk's decoding of what a host sends: the first byte picks the message (a
// subscription's records or a session event), the rest is its wire form. Every record that
// parses is turned into the record the window would receive.
#include "Wire.h"
#include "hostlink.pb.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const void* body = data + 1;
    const int length = int(size - 1);
    if (data[0] & 1) {
        hoxlink::DeskEvent event;
        if (!event.ParseFromArray(body, length)) return 0;
        std::u16string name;
        hostlink::FromWire(event.info_server_name(), name);
        return 0;
    }
    hoxlink::Records records;
    if (!records.ParseFromArray(body, length)) return 0;
    for (const auto& quote : records.quotes()) {
        hostlink::WireQuote record;
        if (record.Read(quote) &&
            com::SysStringLen(record.Record()->bstrSymbol) > hostlink::MaxTextUnits)
            __builtin_trap();
    }
    for (const auto& entry : records.level2()) {
        hostlink::WireLevel2 record;
        if (record.Read(entry) && (entry.closed() != 0) != (record.Record()->bClosed != 0))
            __builtin_trap();
    }
    return 0;
}
