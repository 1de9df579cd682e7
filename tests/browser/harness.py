# What the browser tests share: a station (the simulator on a pseudo-terminal and the real
# `tarvex --headless` with its remote panel) in a temporary directory, stopped by process id,
# and headless Chromium driven through its WebDriver. Every wait waits for a condition, with a
# deadline; nothing sleeps a fixed time.

import base64
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

from selenium import webdriver
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

TARVEX = os.environ["TARVEX"]
AMPSIM = os.environ.get("TARVEX_AMPSIM", "tarvex-ampsim")
WAIT_S = 20  # generous: the suite may run beside the sanitizer build on two cores


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


# condition()'s first true value; at the deadline the test fails with `what` and explain().
def wait_for(what, condition, timeout=WAIT_S, explain=None):
    deadline = time.monotonic() + timeout
    while not (value := condition()):
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}"
                                 + (f"; {explain()}" if explain else ""))
        time.sleep(0.02)  # the poll's interval, not a wait for something to have happened
    return value


# A child's output, read as it comes and searchable while it runs.
class Lines:
    def __init__(self, stream):
        self.text = ""
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        for line in iter(stream.readline, ""):
            self.text += line

    def has(self, needle):
        return needle in self.text


# One amplifier (the simulator, tracing what reaches it), the amplifier list, the users, and
# `tarvex --headless --remote-port P` with any further options (or a function of the
# directory that gives them), in a directory of its own that goes with it.
class Station:
    def __init__(self, users, extra_args=(), scheme="http"):
        self.dir = tempfile.mkdtemp(prefix="tarvex-browser-")
        self.trace = os.path.join(self.dir, "trace")
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        self.env["XDG_CONFIG_HOME"] = os.path.join(self.dir, "config")
        self.sim = subprocess.Popen(
            [AMPSIM, "--warmup", "300", "--meter-interval", "100", "--trace", self.trace],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        device = self.sim.stdout.readline().strip()
        assert device.startswith("/dev/"), "the simulator gave no device"
        self.sim_said = Lines(self.sim.stderr)
        self.command("--add-amplifier", "Tower,1")
        for name, (role, password) in users.items():
            self.command("--add-remote-user", name, "--role", role, input=password + "\n")
        self.port = free_port()
        extra = extra_args(self.dir) if callable(extra_args) else extra_args
        self.tarvex = subprocess.Popen(
            [TARVEX, "--headless", "--port", f"1={device}", "--remote-port", str(self.port),
             *extra], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, text=True, cwd=self.dir, env=self.env)
        self.log = Lines(self.tarvex.stderr)
        self.url = f"{scheme}://127.0.0.1:{self.port}/"
        wait_for("the remote panel to listen", lambda: self.log.has(
            f"Remote panel listening at {self.url}") or self.tarvex.poll() is not None)
        assert self.tarvex.poll() is None, self.log.text

    def command(self, *args, input=None):
        done = subprocess.run([TARVEX, *args], input=input, capture_output=True, text=True,
                              cwd=self.dir, env=self.env, timeout=WAIT_S)
        assert done.returncode == 0, f"tarvex {' '.join(args)}: {done.stderr}"

    def tell_sim(self, line):
        self.sim.stdin.write(line + "\n")
        self.sim.stdin.flush()

    def traced(self):
        with open(self.trace) as f:
            return f.read().splitlines()

    # SIGTERM to tarvex, as the service manager sends it; its exit status.
    def stop(self):
        os.kill(self.tarvex.pid, signal.SIGTERM)
        return self.tarvex.wait(timeout=WAIT_S)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        for child in (self.tarvex, self.sim):
            if child.poll() is None:
                os.kill(child.pid, signal.SIGKILL)
            child.wait()
            for stream in (child.stdin, child.stdout, child.stderr):
                if stream:
                    stream.close()
        shutil.rmtree(self.dir, ignore_errors=True)


# Headless Chromium in a fresh profile; fails (never skips) without Chromium or its driver.
def browser(width=1280, height=800, insecure=False):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", f"--window-size={width},{height}",
                f"--user-data-dir={tempfile.mkdtemp(prefix='tarvex-chromium-')}",
                *(["--ignore-certificate-errors"] if insecure else [])):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


# Submits the login form: the page's problem line, or '' once the panel shows.
def login_attempt(driver, url, user, password):
    driver.get(url + "login")
    driver.find_element(By.ID, "user").send_keys(user)
    driver.find_element(By.ID, "password").send_keys(password)
    driver.find_element(By.CSS_SELECTOR, "button[type=submit]").click()

    def settled():
        try:  # the page may be replaced between two looks at it: look again
            for problem in driver.find_elements(By.ID, "problem"):
                if problem.is_displayed() and problem.text:
                    return problem.text
            return "in" if driver.find_elements(By.CSS_SELECTOR, "article.card") else ""
        except (NoSuchElementException, StaleElementReferenceException):
            return ""
    said = wait_for(f"the login of {user} to settle", settled)
    return "" if said == "in" else said


# Logs in through the form, again while the server has too many logins at once.
def log_in(driver, url, user, password):
    def attempt():
        said = login_attempt(driver, url, user, password)
        return None if "at once" in said else ("in" if not said else said)
    said = wait_for(f"{user} to be let in", attempt)
    assert said == "in", f"{user} was refused: {said}"


def card_text(driver, selector):
    found = driver.find_elements(By.CSS_SELECTOR, f"article.card {selector}")
    return found[0].text if found else None


def page_text(driver):
    return f"{driver.current_url}: {driver.find_element(By.TAG_NAME, 'body').text!r}"


# A WebSocket handshake by hand: the HTTP status line and, after a 101, the first frame's close
# code and reason (None when it is no close frame).
def raw_websocket(port, origin, cookie=None):
    key = base64.b64encode(os.urandom(16)).decode()
    request = (f"GET /ws HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
               f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
               f"Sec-WebSocket-Version: 13\r\nOrigin: {origin}\r\n"
               + (f"Cookie: {cookie}\r\n" if cookie else "") + "\r\n")
    with socket.create_connection(("127.0.0.1", port), timeout=WAIT_S) as s:
        s.sendall(request.encode())
        data = b""
        # Server frames are not masked: opcode, length (short here), payload.
        while (b"\r\n\r\n" not in data or len(rest := data.partition(b"\r\n\r\n")[2]) < 2
               or len(rest) < 2 + (rest[1] & 0x7F)):
            chunk = s.recv(4096)
            if not chunk:
                break
            data += chunk
    head, _, rest = data.partition(b"\r\n\r\n")
    status = head.split(b"\r\n")[0].decode()
    if len(rest) < 4 or rest[0] & 0x0F != 8:
        return status, None, None
    payload = rest[2:2 + (rest[1] & 0x7F)]
    return status, int.from_bytes(payload[:2], "big"), payload[2:].decode()


# The remote events of a history.db, read with the sqlite3 program: (amplifier, text).
def events(db):
    done = subprocess.run(["sqlite3", "-separator", "|", db, "SELECT amplifier, text FROM "
                           "events WHERE kind = 'remote' ORDER BY rowid"],
                          capture_output=True, text=True, timeout=WAIT_S)
    assert done.returncode == 0, done.stderr
    return [tuple(line.split("|", 1)) for line in done.stdout.splitlines()]
