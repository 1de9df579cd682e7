#!/usr/bin/env python3
"""A metering line written on a pseudo-terminal to the forward-power meter drawn in a real
browser: Python plays the amplifier on the master side, `tarvex --headless` serves the remote
panel, headless Chromium shows it, and the page notes the first animation frame after the
read-out changed. Prints the median and worst of the samples, in milliseconds.

    TARVEX=build-bench/src/app/tarvex bench/browser_latency.py [SAMPLES]
"""

import os
import random
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "browser"))
from harness import Lines, TARVEX, browser, free_port, log_in, wait_for  # noqa: E402

ANSWERS = {"AC": "AMPLIFIER IS ON", "STAT": "STATE = OPERATE", "DM B79D": "B79D = 1E00",
           "DM B799": "B799 = 0340", "DM B79B": "B79B = 0100", "DM B791": "B791 = 1000",
           "DM B7A1": "B7A1 = 0050"}

# Resolves with the wall-clock time of the first frame drawn after the Po read-out shows text.
WATCH = """
const [want, done] = [arguments[0], arguments[arguments.length - 1]];
const row = [...document.querySelectorAll('article .meter')]
  .find((r) => r.querySelector('b').textContent === 'Po');
const out = row.querySelector('output.reading');
const seen = new MutationObserver(() => {
  if (out.textContent !== want) return;
  seen.disconnect();
  requestAnimationFrame((t) => done(performance.timeOrigin + t));
});
seen.observe(out, {childList: true, characterData: true, subtree: true});
"""


def main():
    samples = int(sys.argv[1]) if len(sys.argv) > 1 else 30
    folder = tempfile.mkdtemp(prefix="tarvex-bench-")
    master, slave = os.openpty()
    device = os.ttyname(slave)
    write_lock = threading.Lock()

    def say(line):
        with write_lock:
            os.write(master, (line + "\r\n").encode())

    def answer():
        buffer = b""
        while True:
            try:
                chunk = os.read(master, 512)
            except OSError:
                return
            buffer += chunk
            while b"\r" in buffer:
                line, _, buffer = buffer.partition(b"\r")
                reply = ANSWERS.get(line.decode(errors="replace").strip())
                if reply:
                    say(reply)

    threading.Thread(target=answer, daemon=True).start()
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["XDG_CONFIG_HOME"] = os.path.join(folder, "config")
    run = lambda *args, **kw: subprocess.run([TARVEX, *args], cwd=folder, env=env, check=True,
                                              capture_output=True, text=True, **kw)
    run("--add-amplifier", "Tower,1,57600,n,8,1")
    run("--add-remote-user", "bench", "--role", "operate", input="bench-password\n")
    port = free_port()
    tarvex = subprocess.Popen([TARVEX, "--headless", "--port", f"1={device}", "--remote-port",
                               str(port)], cwd=folder, env=env, stderr=subprocess.PIPE,
                              text=True)
    log = Lines(tarvex.stderr)
    driver = None
    try:
        url = f"http://127.0.0.1:{port}/"
        wait_for("the panel", lambda: log.has("Remote panel listening"))
        driver = browser()
        log_in(driver, url, "bench", "bench-password")
        wait_for("operate on the page", lambda: "OPERATE" in driver.page_source)
        driver.set_script_timeout(5)
        results = []
        for i in range(samples):
            digit = 5 + i % 2
            want = f"{30 * digit * digit / 1000:.2f}"
            # The observer is in place before the line is written; the page polls nothing.
            pending = {}
            watcher = threading.Thread(target=lambda: pending.setdefault(
                "drawn", driver.execute_async_script(WATCH, want)))
            watcher.start()
            time.sleep(0.15 + random.random() * 0.1)  # a pause between reports, not a wait
            written = time.time() * 1000
            say(f"RM {digit}1111")
            watcher.join()
            results.append(pending["drawn"] - written)
        results.sort()
        print(f"browser line-to-meter: median {results[len(results) // 2]:.1f} ms, "
              f"worst {results[-1]:.1f} ms, {len(results)} samples")
    finally:
        if driver:
            driver.quit()
        os.kill(tarvex.pid, signal.SIGTERM)
        tarvex.wait()
        os.close(master)
        os.close(slave)


if __name__ == "__main__":
    main()
