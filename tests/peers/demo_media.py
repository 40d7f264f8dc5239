"""Real photos and videos for the simulators of by-hand runs, made with gst-launch-1.0.

The media are generated when a simulator starts, never kept in the repository. Each call
is bounded in time; a failure raises RuntimeError naming the pipeline.
"""

import os
import subprocess

TIMEOUT_SECONDS = 60


def _launch(description, target):
    partial = target + ".partial"
    command = ["gst-launch-1.0", "-q", "-e"] + description.split() + ["!", "filesink", "location=" + partial]
    try:
        subprocess.run(command, check=True, timeout=TIMEOUT_SECONDS, stdout=subprocess.DEVNULL,
                       stderr=subprocess.PIPE)
    except (OSError, subprocess.SubprocessError) as error:
        if os.path.exists(partial):
            os.remove(partial)
        raise RuntimeError("gst-launch-1.0 %s failed: %s" % (description, error))
    os.replace(partial, target)
    return target


def make_jpeg(target, pattern="smpte", width=1280, height=720):
    """One still of the test pattern the RTSP peer streams."""
    return _launch("videotestsrc num-buffers=1 pattern=%s ! video/x-raw,width=%d,height=%d ! jpegenc"
                   % (pattern, width, height), target)


def make_mp4(target, seconds=3, pattern="smpte", width=1280, height=720, fps=30):
    """An H.264 MP4 of the test pattern, as the camera records it."""
    return _launch("videotestsrc num-buffers=%d pattern=%s ! video/x-raw,format=I420,width=%d,height=%d,"
                   "framerate=%d/1 ! x264enc speed-preset=ultrafast bframes=0 ! video/x-h264,profile=main "
                   "! h264parse ! mp4mux" % (int(seconds * fps), pattern, width, height, fps), target)


def read(path):
    with open(path, "rb") as handle:
        return handle.read()
