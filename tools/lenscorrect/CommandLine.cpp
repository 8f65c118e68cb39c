// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "lenscorrect/CommandLine.h"

#include <charconv>
#include <map>

#include <CLI/CLI.hpp>

#include "Output/Provenance.h"
#include "Settings/Extraction.h"

namespace LensCorrect
{

namespace
{

    const char* const description
        = R"(lenscorrect - remove or add lens shading and distortion in whole clips

Corrects every frame of an image sequence, a single image or a movie with the per-frame lens
data that the camera recorded (a .tlcf correction file), in the same library the compositing
plug-ins use, and writes an image sequence in the format its extension names.

Frames are corrected as 32-bit float RGBA in linear light: values above 1 and below 0 pass
through, alpha is kept by shading and resampled by distortion, and images without alpha are
processed as opaque and written back without it. Integer and log-encoded images are converted
to linear light and back with OpenImageIO's colour conversion (OpenColorIO where $OCIO names a
configuration) from the file's colour space or --colorspace; float images are taken as linear.

Distortion correction needs more room than the plate: the output frame is the largest size the
library asks for over the whole clip (at least the plate's), with the picture centred, so every
frame and every chunk of a split run have one size. EXR keeps the plate's display window and
writes the enlarged frame as its data window (overscan); other formats get the enlarged size.
--keep-size crops back to the plate's size, centred. With --shading and --distortion together
the shading is that of the recorded picture: --distortion undistort removes or adds it at the
plate's own size first and then removes the distortion; --distortion distort adds the
distortion first and then the shading to the distorted frame. One run thus equals the two runs
in that order, and adding both after removing both gives the plate back. The size is the one
the distortion correction asks for.

An EXR's display window is the picture the lens data describes, with the optical centre in its
middle, or the window of the recording that --extraction names. A data window inside it (a crop, a render's bounding box) is corrected at its place in
the display window, the rest counting as empty: shading keeps the data window, distortion writes
the whole enlarged frame. A data window reaching evenly beyond the display window on every side
is overscan; one lying partly outside it is refused. Every part of a multi-part EXR (stereo
views, render layers) is corrected as a picture of the same frame through the same lens and
written as a multi-part file, each part with its name, channels and windows; a part of another
size, or a deep one, is refused.

Reading, correcting and writing run on three threads at once. Every file is written under a
temporary name of its own, flushed to disk and renamed when complete, so an interrupted run or a
crashed host never leaves a half-written frame; --skip-existing resumes it. The input is never
overwritten.
)";

    const char* const footer = R"(LENS DATA
  With --correction-file the file's header must name the clip: its video file name or clip
  name must equal the clip's name. That is --clip-name, else the camera's clip name in the
  plate's files (the key the library's metadata table names for the camera maker and the
  container, such as EXR's interim.clip.cameraClipName), else the file name of --clip (the
  input by default). Without --correction-file, the correction file naming the clip is searched
  for in the clip's directory, its subdirectories and up to five parent directories with their
  subdirectories. A plate whose EXR data window reaches evenly beyond its display window is an
  overscan plate: the display window is its picture (--size-without-overscan overrides it).
  --opentrackio takes the lens data of every frame from OpenTrackIO samples (one JSON sample
  per line, or a JSON array of samples): each frame takes the sample at its own start time,
  from the plate's rate (--fps, else the files', else the samples') and the sample's own; a
  samples' rate that is not a whole multiple of the plate's is refused. Each sample's
  Brown-Conrady distortion and exposure falloff become six values spread over the plate. What
  that cannot represent (tangential terms, an off-centre distortion centre, further distortion
  entries) is reported once with the largest displacement it causes at the frame corner;
  --strict makes it an error instead.

EXTRACTIONS AND REFORMATS
  The lens data describes the camera's whole recorded frame, the optical centre in its middle.
  A plate that is part of it says which with --extraction WxH[+X+Y][@SCALE]: its picture (the
  display window, without overscan) as a window of the recording in the recording's pixels,
  with its top left corner (centred when left out) and its scale in plate pixels per recording
  pixel (the plate's width over W when left out). A 2.39 extraction of a 1920x1080 recording:
  --extraction 1920x804; framed higher for headroom: --extraction 1920x804+0+100; a pull with
  padding: the padded window, or an EXR whose display window is the extraction and whose data
  window reaches evenly beyond it; a 4448x3096 recording delivered as 3840x2160: --extraction
  4448x2502; a half-size proxy of an extraction: the extraction (the scale follows). The optical
  centre stays the recording's centre wherever that falls in the plate, and the result equals
  the whole recorded frame corrected and cut to the window. A centred window is corrected as a
  recording format of its own; an off-centre one in the smallest frame centred on the optical
  centre that covers it. Distortion grows the window evenly on every side as it needs (EXR: the
  data window over the plate's display window); ST-maps and gain maps are of the window. The
  report and --dry-run say where the plate lies. A window outside the recording, a scale that
  does not give the plate's size, and a plate that is neither the recording at another size nor
  said to be a window of it are refused, naming the sizes.

FRAMES
  Sequences are written plate.####.exr (one digit per #), plate.%04d.exr, or as one file of the
  sequence (plate.1001.exr stands for all of plate.####.exr). Output files keep the input's
  frame numbers; a movie's frames are numbered from 0.
  Every frame must be of the first frame's kind. A frame fails, named, when its channel names,
  colour space (the file's, or linear for float data; --colorspace names one for every frame),
  parts (number and names) or picture (display window, size, overscan) differ. Handled per
  frame: the data window (each frame's pixels at their place in the picture) and the pixel type
  (each output keeps its own frame's).

MATCHING FRAMES TO LENS DATA, in this order of precedence
  1. Options: --first-frame N makes plate frame N the clip's frame 0 (default: the first frame
     found), --start-timecode TC gives frame 0's timecode; frames are then counted by number.
  2. The plate's own timecodes (smpte:TimeCode of each EXR or DPX file, a movie's start
     timecode): each frame takes the record of its own timecode, so that handles, gaps and
     renumbering cannot shift the data. The plate's rate is --fps, else the file's, else the
     lens data's. Where both the plate and the lens data (tcDrop) say drop-frame (29.97, 59.94),
     labels are counted in drop-frame, as is a movie's start timecode (and --start-timecode
     against drop-frame lens data). Timecodes that go backwards or repeat, and a drop-frame
     plate against non-drop lens data or the reverse, are errors.
  3. Sequence order, a stated guess: the first frame is the clip's frame 0.
  The first line of the report says which decided; --dry-run lists every frame's file,
  timecode, lens data record and its timecode, and writes nothing (status 1 when a frame is
  missing, cannot be read or finds no lens data). Every output records the correction file,
  clip, record, timecode and corrections in its metadata (EXR and PNG attributes
  lenscorrect:*, the image history, the image description of other formats) and keeps the
  plate frame's timecode.
  --json [FILE] writes the same as one JSON document (standard output without FILE or with -;
  a real run writes it before its first frame): the run (input, lens data and how it was found,
  the rule that matched the frames, rates, picture and output sizes, corrections) and for every
  frame its file, timecode, record, focal length and focus distance, how far the distortion
  correction moves the picture's corner (px, outwards positive) and the shading correction's
  gain there (stops), read off the library's own maps, and its status (found, no lens data,
  refused, missing) with the message. "ready" is true when every frame is found. The schema is
  in the README; lenscorrect-report turns the document into pictures.
  Each record applies up to the next. A frame before the first record, or at or beyond the
  clip's length (clipDurationFrames, where the header gives one), has no lens data; without a
  length the last record applies to every later frame, and the report says so. A record
  labelled after the frame's own timecode is refused.

SPLIT RUNS
  --skip-existing leaves a frame only when its outputs open as images of the run's size and
  channels, reach their last row of pixels and (EXR, PNG) name the same lens data record and
  corrections; others are rendered again, and the run says so for each. --write-plan FILE reads
  the whole clip once and records every frame's input and lens data record, the clip-wide output
  size and the inputs' sizes and modification times; it renders nothing. A chunk given --plan
  FILE with the same options reads only its own frames, and stops when an input or the lens data
  changed since the plan was written:
    lenscorrect plate.####.exr ... -o out/plate.####.exr --write-plan clip.plan
    lenscorrect plate.####.exr ... -o out/plate.####.exr --plan clip.plan --frames 1001-1050 \
        --skip-existing

EXPORTS
  An ST-map holds, for every output pixel, where the distortion correction takes it from in the
  plate: s = (x + 0.5) / width in red and t = 1 - (y + 0.5) / height in green (x, y counted
  from the plate's top left), and in alpha the share of that sample inside the plate (1 inside,
  0 outside). A standard STMap lookup of the input plate with it reproduces the correction. It is
  written in float where the format has float (EXR, TIFF), else in 16 bits. A gain map holds
  the multiplier that the shading correction applies to linear light, in every colour channel.

EXAMPLES
  Remove shading and distortion from a plate, with the correction file beside the clip:
    lenscorrect A014C007.####.exr --clip-name A014C007_230614_R2KQ.mov \
        --shading remove --distortion undistort -o corrected/A014C007.####.exr

  One chunk of a farm job, resumable, with a named correction file:
    lenscorrect plate.%04d.exr --correction-file A014C007.tlcf --clip-name A014C007.mov \
        --distortion undistort --frames 1001-1050 --skip-existing -o out/plate.%04d.exr

  Put the lens back on a CG render (distort, add shading) and write ST-maps for compositing:
    lenscorrect cg.####.exr --correction-file A014C007.tlcf --clip-name A014C007.mov \
        --distortion distort --shading add -o cg_lens.####.exr --stmap stmap.####.exr

  Look before reading: a before/after picture of frame 1012 only:
    lenscorrect plate.####.dpx --clip plate/A014C007.mov --shading remove --distortion undistort \
        --preview preview.png --preview-frame 1012

EXIT STATUS
  0 every frame was written; 1 a frame or the run failed (the library's brief and detailed
  texts are on standard error, and nothing half-written is left); 2 the command line is wrong;
  130 interrupted.)";

    template <typename Number> bool readNumber(const std::string& text, Number& value)
    {
        const char* end = text.data() + text.size();
        const auto result = std::from_chars(text.data(), end, value);
        return result.ec == std::errc() && result.ptr == end && !text.empty();
    }

    /// "W:H" (or "WxH") into two numbers.
    template <typename Number> std::pair<Number, Number> readPair(const std::string& text)
    {
        const size_t separator = text.find_first_of(":x");
        std::pair<Number, Number> pair {};
        if (separator == std::string::npos || !readNumber(text.substr(0, separator), pair.first)
            || !readNumber(text.substr(separator + 1), pair.second) || !(pair.first >= 0)
            || !(pair.second >= 0))
        {
            throw CLI::ValidationError(
                "\"" + text + "\" is not W:H with two numbers of at least 0");
        }
        return pair;
    }

    Size readSize(const std::string& text)
    {
        const auto pair = readPair<uint32_t>(text);
        return Size { pair.first, pair.second };
    }

} // namespace

CommandLine parseCommandLine(
    int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    RunSettings options;
    std::string shading;
    std::string distortion;
    CLI::App app(description, "lenscorrect");
    app.footer(footer);
    app.get_formatter()->column_width(36);

    app.add_option("input", options.input,
           "Image sequence (####, %04d or one of its files), image or movie")
        ->type_name("PATH")
        ->required();
    app.add_option("-o,--output", options.output,
           "Output pattern (out.####.exr); the extension picks the format")
        ->type_name("PATTERN");

    const std::string corrections = "Corrections";
    app.add_option("--shading", shading, "Remove or add the lens shading")
        ->type_name("MODE")
        ->check(CLI::IsMember({ "remove", "add" }))
        ->group(corrections);
    app.add_option("--distortion", distortion, "Remove or add the lens distortion")
        ->type_name("MODE")
        ->check(CLI::IsMember({ "undistort", "distort" }))
        ->group(corrections);
    app.add_flag("--keep-size", options.keepSize,
           "Crop an enlarged frame back to the plate's size, centred")
        ->group(corrections);

    const std::string lens = "Lens data";
    CLI::Option* correctionFile
        = app.add_option("--correction-file", options.correctionFile,
                 "The clip's .tlcf file; default: searched for around --clip")
              ->type_name("FILE")
              ->group(lens);
    app.add_option("--opentrackio", options.openTrackIo,
           "Per-frame lens data from OpenTrackIO samples instead")
        ->type_name("FILE")
        ->excludes(correctionFile)
        ->group(lens);
    app.add_flag(
           "--strict", options.strict, "Fail on OpenTrackIO lens data that cannot be corrected")
        ->group(lens);
    app.add_option("--clip", options.clip, "The clip's original file; default: the input")
        ->type_name("PATH")
        ->group(lens);
    app.add_option("--clip-name", options.clipName,
           "The clip name the correction file must carry; default: the plate's")
        ->type_name("NAME")
        ->group(lens);
    app.add_option("--first-frame", options.firstFrame,
           "Sequence number of the clip's frame 0; default: by timecode")
        ->type_name("N")
        ->group(lens);
    app.add_option("--fps", options.framesPerSecond,
           "The plate's frame rate; default: the file's, else the lens data's")
        ->type_name("RATE")
        ->check(CLI::NonNegativeNumber)
        ->group(lens);
    app.add_option("--start-timecode", options.startTimecode,
           "Timecode of frame 0 (HH:MM:SS:FF): look frames up by it")
        ->type_name("TC")
        ->group(lens);
    app.add_option_function<std::string>(
           "--sensor-size",
           [&](const std::string& text) { options.sensorSize = readPair<float>(text); },
           "Manual format: image area in mm (H 0: from the aspect)")
        ->type_name("W:H")
        ->group(lens);
    app.add_option_function<std::string>(
           "--resolution", [&](const std::string& text) { options.resolution = readSize(text); },
           "Manual format: clip resolution in pixels")
        ->type_name("W:H")
        ->group(lens);
    app.add_option_function<float>(
           "--image-diameter", [&](float diameter) { options.imageDiameter = diameter; },
           "Manual format: image diameter; default: the diagonal")
        ->type_name("MM")
        ->check(CLI::PositiveNumber)
        ->group(lens);
    app.add_option_function<std::string>(
           "--size-without-overscan",
           [&](const std::string& text) { options.sizeWithoutOverscan = readSize(text); },
           "The picture without the plate's overscan margin")
        ->type_name("W:H")
        ->group(lens);
    app.add_option_function<std::string>(
           "--extraction",
           [&](const std::string& text)
           {
               try
               {
                   options.extraction = parseExtraction(text);
               }
               catch (const std::invalid_argument& error)
               {
                   throw CLI::ValidationError("--extraction", error.what());
               }
           },
           "The plate as a window of the recording, in its pixels")
        ->type_name("WxH[+X+Y][@S]")
        ->group(lens);

    const std::string frames = "Frames and output";
    CLI::Option* frameList = app.add_option("--frames", options.frames,
                                    "Only these frames: 1001-1100, 1-99x2, 1001,1005-1010")
                                 ->type_name("LIST")
                                 ->group(frames);
    app.add_option(
           "--colorspace", options.colorSpace, "The input's colour space; default: the file's own")
        ->type_name("NAME")
        ->group(frames);
    app.add_option("--data-type", options.dataType, "Output data type; default: the input's")
        ->type_name("TYPE")
        ->check(CLI::IsMember({ "uint8", "uint16", "half", "float" }))
        ->group(frames);
    CLI::Option* dryRun = app.add_flag("--dry-run", options.dryRun,
                                 "List each frame's timecode and lens data record; write nothing")
                              ->group(frames);
    CLI::Option* json = app.add_option("--json", options.json,
                               "Write the frame mapping as JSON to FILE (none or -: stdout)")
                            ->type_name("[FILE]")
                            ->expected(0, 1)
                            ->group(frames);
    app.add_flag("--skip-existing", options.skipExisting,
           "Leave frames whose outputs exist (resume a run)")
        ->group(frames);
    app.add_flag("--keep-going", options.keepGoing,
           "Go on after a failed frame; list the failures at the end")
        ->group(frames);
    app.add_flag("-q,--quiet", options.quiet, "Report failures only")->group(frames);

    const std::string farm = "Split runs";
    CLI::Option* writePlan
        = app.add_option("--write-plan", options.writePlan,
                 "Record the whole clip for the chunks of a split run; render nothing")
              ->type_name("FILE")
              ->excludes(frameList)
              ->excludes(dryRun)
              ->excludes(json)
              ->group(farm);
    app.add_option("--plan", options.plan, "Take the clip from a plan: read only this run's frames")
        ->type_name("FILE")
        ->excludes(writePlan)
        ->excludes(dryRun)
        ->excludes(json)
        ->group(farm);
    app.set_version_flag("--version", toolVersion(), "Print the tool's version");

    const std::string exports = "Exports";
    app.add_option("--stmap", options.stMap, "Per frame, an ST-map of the distortion correction")
        ->type_name("PATTERN")
        ->group(exports);
    app.add_option("--gain-map", options.gainMap, "Per frame, the shading correction's multiplier")
        ->type_name("PATTERN")
        ->group(exports);
    app.add_option(
           "--preview", options.preview, "A before/after picture (PNG) of one frame, with a grid")
        ->type_name("FILE")
        ->group(exports);
    app.add_option(
           "--preview-frame", options.previewFrame, "The preview's frame; default: the run's first")
        ->type_name("N")
        ->group(exports);

    try
    {
        app.parse(argc, argv);
    }
    catch (const CLI::CallForHelp&)
    {
        out << app.help();
        return { std::nullopt, 0 };
    }
    catch (const CLI::CallForVersion&)
    {
        out << toolVersion() << "\n";
        return { std::nullopt, 0 };
    }
    catch (const CLI::ParseError& error)
    {
        err << "lenscorrect: " << error.what() << "\nRun with --help for the usage.\n";
        return { std::nullopt, 2 };
    }
    if (json->count() > 0 && options.json.empty())
    {
        options.json = "-";
    }
    if (!shading.empty())
    {
        options.shading = shading == "add" ? ShadingMode::add : ShadingMode::remove;
    }
    if (!distortion.empty())
    {
        options.distortion
            = distortion == "distort" ? DistortionMode::distort : DistortionMode::undistort;
    }
    return { options, 0 };
}

} // namespace LensCorrect
