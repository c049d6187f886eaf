// Feeds the desk's decoding of what a host sends: the bytes are a connection's stream of
// frames, split as the framing splits them. Every record that parses is turned into the record
// the window would receive; every event's texts are read.
#include "Channel.h"
#include "Wire.h"
#include "hostlink.pb.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    hostlink::FrameParser parser;
    parser.Append(reinterpret_cast<const char*>(data), size);
    hoxlink::Frame frame;
    for (;;) {
        const auto result = parser.Next(frame);
        if (result == hostlink::FrameParser::Result::None ||
            result == hostlink::FrameParser::Result::Oversized)
            return 0;
        if (result == hostlink::FrameParser::Result::Malformed) continue;
        if (frame.has_event()) {
            std::u16string name;
            hostlink::FromWire(frame.event().info_server_name(), name);
        }
        for (const auto& quote : frame.records().records().quotes()) {
            hostlink::WireQuote record;
            if (record.Read(quote) &&
                com::SysStringLen(record.Record()->bstrSymbol) > hostlink::MaxTextUnits)
                __builtin_trap();
        }
        for (const auto& entry : frame.records().records().level2()) {
            hostlink::WireLevel2 record;
            if (record.Read(entry) && (entry.closed() != 0) != (record.Record()->bClosed != 0))
                __builtin_trap();
        }
        if (frame.has_answer()) {
            // What a call's answer carries is parsed as the reply the desk expects.
            hoxlink::Reply reply;
            hoxlink::ReplayState state;
            reply.ParseFromString(frame.answer().reply());
            state.ParseFromString(frame.answer().reply());
        }
    }
}
