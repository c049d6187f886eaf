#include "LibJpeg.h"

#include "jpeg/Jpeg.h"

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <exception>

#include <jerror.h>
#include <jpeglib.h>

#ifndef JCS_EXTENSIONS
#error "libjpeg with blue-green-red pixel input (JCS_EXT_BGR) is required"
#endif

namespace jpeg::detail {

namespace {

constexpr size_t kOutputBufferSize = 4096;
constexpr int kRowsPerCall = 16;
constexpr int kQuantizedColors = 236;
// A header may promise a picture far larger than the file; progressive and buffered decoding
// keep all coefficients in memory, so their total is bounded.
constexpr long kMaxLibraryMemory = 512L * 1024 * 1024;

// Everything a library callback needs, reached through client_data. Library fatal errors
// longjmp back to the function that called setjmp; those functions keep no objects with
// destructors alive, so the jump skips nothing that needs unwinding.
struct Session {
    explicit Session(const RunningProgress* running) : running(running) {}

    void Attach(j_common_ptr cinfo) {
        cinfo->err = jpeg_std_error(&err);
        err.error_exit = ErrorExit;
        err.emit_message = EmitMessage;
        err.output_message = OutputMessage;
        err.reset_error_mgr = ResetErrorMgr;
        cinfo->client_data = this;
        monitor.progress_monitor = Monitor;
    }

    [[noreturn]] void Rethrow() const {
        if (pending) std::rethrow_exception(pending);
        throw EJPEG(err.msg_code);
    }

    static Session& Of(j_common_ptr cinfo) { return *static_cast<Session*>(cinfo->client_data); }

    [[noreturn]] static void ErrorExit(j_common_ptr cinfo) { std::longjmp(Of(cinfo).jump, 1); }
    static void EmitMessage(j_common_ptr, int) {}
    static void OutputMessage(j_common_ptr) {}
    static void ResetErrorMgr(j_common_ptr cinfo) {
        cinfo->err->num_warnings = 0;
        cinfo->err->msg_code = 0;
    }

    static void Monitor(j_common_ptr cinfo) {
        Session& session = Of(cinfo);
        bool failed = false;
        try {
            session.Report(cinfo->progress);
        } catch (...) {
            session.pending = std::current_exception();
            failed = true;
        }
        if (failed) std::longjmp(session.jump, 1);
    }

    void Report(const jpeg_progress_mgr* p) {
        auto now = std::chrono::steady_clock::now();
        if (!clockStarted) {
            clockStarted = true;
            last = now;
            return;
        }
        if (!running || !*running || p->pass_limit <= 0 || p->total_passes <= 0) return;
        int percent = static_cast<int>(
            (static_cast<double>(p->pass_counter) / p->pass_limit + p->completed_passes) * 100 /
            p->total_passes);
        if (percent == lastPercent || now - last < std::chrono::milliseconds(500)) return;
        lastPercent = percent;
        last = now;
        (*running)(percent);
    }

    jpeg_error_mgr err{};
    jpeg_progress_mgr monitor{};
    std::jmp_buf jump{};
    std::exception_ptr pending;
    const RunningProgress* running;
    bool clockStarted = false;
    std::chrono::steady_clock::time_point last;
    int lastPercent = 0;
};

struct Destination {
    jpeg_destination_mgr pub;
    tk::TStream* stream;
    JOCTET buffer[kOutputBufferSize];

    static Destination& Of(j_compress_ptr cinfo) {
        return *reinterpret_cast<Destination*>(cinfo->dest);
    }
    static void Init(j_compress_ptr cinfo) {
        Destination& d = Of(cinfo);
        d.pub.next_output_byte = d.buffer;
        d.pub.free_in_buffer = kOutputBufferSize;
    }
    // A stream that takes fewer bytes than offered, or fails, is a write error of the library.
    static bool Flush(Destination& d, size_t count) noexcept {
        try {
            return d.stream->Write(d.buffer, static_cast<int64_t>(count)) ==
                   static_cast<int64_t>(count);
        } catch (...) {
            return false;
        }
    }
    static boolean Empty(j_compress_ptr cinfo) {
        if (!Flush(Of(cinfo), kOutputBufferSize)) ERREXIT(cinfo, JERR_FILE_WRITE);
        Init(cinfo);
        return TRUE;
    }
    static void Term(j_compress_ptr cinfo) {
        Destination& d = Of(cinfo);
        size_t count = kOutputBufferSize - d.pub.free_in_buffer;
        if (count > 0 && !Flush(d, count)) ERREXIT(cinfo, JERR_FILE_WRITE);
    }
};

struct Source {
    jpeg_source_mgr pub;

    static void Init(j_decompress_ptr) {}
    // The whole file is in memory: running out means it is truncated. An end marker lets the
    // library finish with what it has.
    static boolean Fill(j_decompress_ptr cinfo) {
        static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
        WARNMS(cinfo, JWRN_JPEG_EOF);
        cinfo->src->next_input_byte = kEndOfImage;
        cinfo->src->bytes_in_buffer = 2;
        return TRUE;
    }
    static void Skip(j_decompress_ptr cinfo, long count) {
        if (count <= 0) return;
        if (static_cast<size_t>(count) > cinfo->src->bytes_in_buffer) {
            Fill(cinfo);
            return;
        }
        cinfo->src->next_input_byte += count;
        cinfo->src->bytes_in_buffer -= static_cast<size_t>(count);
    }
    static void Term(j_decompress_ptr) {}

    Source(const uint8_t* data, size_t size) : pub{} {
        pub.init_source = Init;
        pub.fill_input_buffer = Fill;
        pub.skip_input_data = Skip;
        pub.resync_to_restart = jpeg_resync_to_restart;
        pub.term_source = Term;
        pub.next_input_byte = data;
        pub.bytes_in_buffer = size;
    }
};

bool RunCompress(jpeg_compress_struct& c, Session& session, Destination& dest,
                 const tk::TBitmap& bitmap, const CompressOptions& options) {
    if (setjmp(session.jump)) return false;
    jpeg_create_compress(&c);
    c.progress = &session.monitor;
    c.dest = &dest.pub;
    c.image_width = static_cast<JDIMENSION>(bitmap.Width());
    c.image_height = static_cast<JDIMENSION>(bitmap.Height());
    c.input_components = 3;
    // Bitmap rows hold blue, green, red: the library reads them in that order.
    c.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, options.quality, TRUE);
    if (options.grayscale) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    if (options.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    JSAMPROW rows[kRowsPerCall];
    while (c.next_scanline < c.image_height) {
        JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, c.image_height - c.next_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = const_cast<JSAMPROW>(bitmap.ScanLine(static_cast<int>(c.next_scanline + i)));
        jpeg_write_scanlines(&c, rows, count);
    }
    jpeg_finish_compress(&c);
    return true;
}

void StartDecompress(jpeg_decompress_struct& d, Session& session, Source& source) {
    jpeg_create_decompress(&d);
    d.mem->max_memory_to_use = kMaxLibraryMemory;
    d.progress = &session.monitor;
    d.src = &source.pub;
}

bool RunReadHeader(jpeg_decompress_struct& d, Session& session, Source& source, int scale,
                   HeaderInfo& info) {
    if (setjmp(session.jump)) return false;
    StartDecompress(d, session, source);
    jpeg_read_header(&d, TRUE);
    info.width = static_cast<int>(d.image_width);
    info.height = static_cast<int>(d.image_height);
    info.grayscale = d.jpeg_color_space == JCS_GRAYSCALE;
    info.multiScan = jpeg_has_multiple_scans(&d);
    d.scale_num = 1;
    d.scale_denom = 1u << scale;
    jpeg_calc_output_dimensions(&d);
    info.scaledWidth = static_cast<int>(d.output_width);
    info.scaledHeight = static_cast<int>(d.output_height);
    return true;
}

// The quantised picture's palette: the caller's colours when the library used them, else
// the library's colour map (one component for grey output).
void SetOutputPalette(const jpeg_decompress_struct& d, const tk::TPalette* external,
                      tk::TBitmap& out) {
    if (d.colormap && external && d.out_color_components == 3) {
        out.SetPalette(*external);
        return;
    }
    tk::TPalette palette;
    for (int i = 0; i < d.actual_number_of_colors; ++i) {
        uint32_t r = d.colormap[0][i];
        uint32_t g = d.out_color_components == 3 ? d.colormap[1][i] : r;
        uint32_t b = d.out_color_components == 3 ? d.colormap[2][i] : r;
        palette.push_back(r | g << 8 | b << 16);
    }
    out.SetPalette(palette);
}

void UseExternalColormap(jpeg_decompress_struct& d, const tk::TPalette& palette) {
    auto count = static_cast<JDIMENSION>(palette.size());
    JSAMPARRAY map =
        (*d.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d), JPOOL_IMAGE, count, 3);
    for (JDIMENSION i = 0; i < count; ++i) {
        map[0][i] = static_cast<JSAMPLE>(palette[i]);
        map[1][i] = static_cast<JSAMPLE>(palette[i] >> 8);
        map[2][i] = static_cast<JSAMPLE>(palette[i] >> 16);
    }
    d.colormap = map;
    d.actual_number_of_colors = static_cast<int>(count);
}

void ReadRows(jpeg_decompress_struct& d, tk::TBitmap& out) {
    JSAMPROW rows[kRowsPerCall];
    while (d.output_scanline < d.output_height) {
        JDIMENSION count = std::min<JDIMENSION>(kRowsPerCall, d.output_height - d.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = out.ScanLine(static_cast<int>(d.output_scanline + i));
        jpeg_read_scanlines(&d, rows, count);
    }
}

bool RunDecompress(jpeg_decompress_struct& d, Session& session, Source& source,
                   const DecompressOptions& options, tk::TBitmap& out,
                   const std::function<void()>& passDone) {
    if (setjmp(session.jump)) return false;
    StartDecompress(d, session, source);
    jpeg_read_header(&d, TRUE);
    d.scale_num = 1;
    d.scale_denom = 1u << options.scale;
    d.do_block_smoothing = options.smoothing;
    bool quantize = options.quantize || options.grayscale;
    if (options.grayscale) d.out_color_space = JCS_GRAYSCALE;
    if (quantize) {
        d.quantize_colors = TRUE;
        d.desired_number_of_colors = kQuantizedColors;
    } else {
        d.out_color_space = JCS_EXT_BGR;
    }
    if (options.bestSpeed) {
        d.dct_method = JDCT_IFAST;
        d.two_pass_quantize = FALSE;
        d.dither_mode = JDITHER_ORDERED;
    }
    d.buffered_image = options.progressiveDisplay && jpeg_has_multiple_scans(&d);
    jpeg_calc_output_dimensions(&d);
    if (quantize && options.palette && !options.palette->empty() && d.out_color_components == 3)
        UseExternalColormap(d, *options.palette);
    // The library sizes its own buffers first, so a picture over its memory bound fails
    // before the bitmap is allocated.
    jpeg_start_decompress(&d);
    out.SetPixelFormat(quantize ? tk::TPixelFormat::pf8bit : tk::TPixelFormat::pf24bit);
    out.SetSize(static_cast<int>(d.output_width), static_cast<int>(d.output_height));
    if (quantize) SetOutputPalette(d, options.palette, out);
    if (d.buffered_image) {
        do {
            jpeg_start_output(&d, d.input_scan_number);
            ReadRows(d, out);
            jpeg_finish_output(&d);
            if (passDone) passDone();
        } while (!jpeg_input_complete(&d));
    } else {
        ReadRows(d, out);
    }
    jpeg_finish_decompress(&d);
    return true;
}

// Runs one library job. A C++ exception from our own code between library calls passes
// through, a library failure or a handler's exception comes back through the session; the
// library object is destroyed either way.
template <typename Struct, typename Run, typename Destroy>
void Guarded(Session& session, Struct& cinfo, Run run, Destroy destroy) {
    bool ok = false;
    try {
        ok = run();
    } catch (...) {
        destroy(&cinfo);
        throw;
    }
    destroy(&cinfo);
    if (!ok) session.Rethrow();
}

} // namespace

void CompressBitmap(const tk::TBitmap& bitmap, const CompressOptions& options, tk::TStream& out,
                    const RunningProgress& progress) {
    Session session(&progress);
    Destination dest{};
    dest.pub.init_destination = Destination::Init;
    dest.pub.empty_output_buffer = Destination::Empty;
    dest.pub.term_destination = Destination::Term;
    dest.stream = &out;
    jpeg_compress_struct c{};
    session.Attach(reinterpret_cast<j_common_ptr>(&c));
    Guarded(
        session, c, [&] { return RunCompress(c, session, dest, bitmap, options); },
        jpeg_destroy_compress);
}

HeaderInfo ReadHeader(const uint8_t* data, size_t size, int scale) {
    Session session(nullptr);
    Source source(data, size);
    jpeg_decompress_struct d{};
    session.Attach(reinterpret_cast<j_common_ptr>(&d));
    HeaderInfo info;
    Guarded(
        session, d, [&] { return RunReadHeader(d, session, source, scale, info); },
        jpeg_destroy_decompress);
    return info;
}

void DecompressInto(const uint8_t* data, size_t size, const DecompressOptions& options,
                    tk::TBitmap& out, const RunningProgress& progress,
                    const std::function<void()>& passDone) {
    Session session(&progress);
    Source source(data, size);
    jpeg_decompress_struct d{};
    session.Attach(reinterpret_cast<j_common_ptr>(&d));
    Guarded(
        session, d, [&] { return RunDecompress(d, session, source, options, out, passDone); },
        jpeg_destroy_decompress);
}

} // namespace jpeg::detail
