# Who may do what from a browser: a view user's command refused by the server whatever its page
# does, control taken by a second operator and the first told, WebSockets without a session or
# from another site refused, and password guessing slowed down.

import json
import unittest
import urllib.error
import urllib.request

from selenium.webdriver.common.by import By

from harness import (Station, WAIT_S, browser, card_text, log_in, login_attempt, page_text,
                     raw_websocket, wait_for)

# A command sent by hand over a WebSocket of the page's own origin, as a script in it could.
SEND_BY_HAND = """
const done = arguments[arguments.length - 1];
const ws = new WebSocket(`ws://${location.host}/ws`);
ws.onmessage = (e) => {
  const m = JSON.parse(e.data);
  if (m.type === 'hello')
    ws.send(JSON.stringify({id: 7, type: 'command', amplifier: 1, control: 'power', value: true}));
  else if (m.type === 'reply') { ws.onclose = null; ws.close(); done(m); }
};
ws.onclose = (e) => done({closed: e.code});
"""


class Access(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.station = Station({"ann": ("operate", "ann-password"), "bob": ("operate", "bob-password"),
                               "vic": ("view", "vic-password")})
        cls.first, cls.second = browser(), browser()

    @classmethod
    def tearDownClass(cls):
        cls.first.quit()
        cls.second.quit()
        cls.station.close()

    def banner(self, driver):
        return driver.find_element(By.ID, "control-text").text

    def log_out(self, driver):
        driver.find_element(By.CSS_SELECTOR, "header form button").click()
        wait_for("the login page", lambda: driver.current_url.endswith("/login"))

    def test_1_a_view_users_command_is_refused_by_the_server(self):
        log_in(self.second, self.station.url, "vic", "vic-password")
        wait_for("the viewer's banner",
                 lambda: self.banner(self.second) == "View only: you can watch, not operate")
        self.assertFalse(self.second.find_element(By.CSS_SELECTOR, "article button").is_enabled())
        self.second.set_script_timeout(WAIT_S)
        reply = self.second.execute_async_script(SEND_BY_HAND)
        self.assertEqual((reply.get("id"), reply.get("ok"), reply.get("reason")),
                         (7, False, "your role is view: you can watch, not operate"), reply)

    def test_2_control_taken_by_a_second_operator_is_told_to_the_first(self):
        log_in(self.first, self.station.url, "ann", "ann-password")
        wait_for("ann's card", lambda: card_text(self.first, ".badge") == "LINK UP",
                 explain=lambda: page_text(self.first))
        self.first.find_element(By.XPATH, "//article//button[.='OFF']").click()
        wait_for("ann in control",
                 lambda: self.banner(self.first).startswith("You are in control since"))
        self.log_out(self.second)
        log_in(self.second, self.station.url, "bob", "bob-password")
        wait_for("bob seeing ann in control",
                 lambda: self.banner(self.second).startswith("Controlled by ann since"))
        self.second.find_element(By.ID, "take").click()
        wait_for("bob in control",
                 lambda: self.banner(self.second).startswith("You are in control since"))
        toast = self.first.find_element(By.ID, "toast")
        wait_for("ann told", lambda: toast.text == "bob took control from you")
        wait_for("ann's banner",
                 lambda: self.banner(self.first).startswith("Controlled by bob since"))
        self.assertFalse(self.first.find_element(By.XPATH, "//article//button[.='ON']").is_enabled())

    def test_3_websockets_without_a_session_or_from_elsewhere_are_refused(self):
        port, origin = self.station.port, f"http://127.0.0.1:{self.station.port}"
        cookie = "; ".join(f"{c['name']}={c['value']}" for c in self.first.get_cookies())
        self.assertEqual(raw_websocket(port, origin)[1:], (1008, "not logged in"))
        self.assertEqual(raw_websocket(port, "http://station.example", cookie)[1:],
                         (1008, "origin not allowed"))
        # The same handshake from the page's own origin with its session is let in.
        status, code, _ = raw_websocket(port, origin, cookie)
        self.assertIn(" 101 ", status)
        self.assertIsNone(code)

    def post_login(self, password):
        request = urllib.request.Request(
            self.station.url + "login", method="POST", headers={"Content-Type": "application/json"},
            data=json.dumps({"user": "ann", "password": password}).encode())
        try:
            with urllib.request.urlopen(request, timeout=WAIT_S) as r:
                return r.status, json.load(r), r.headers
        except urllib.error.HTTPError as e:
            return e.code, json.load(e), e.headers

    def test_4_the_sixth_wrong_password_waits(self):
        for attempt in range(1, 6):
            # Password checks are rationed for everyone at once; such a refusal is no failure.
            status, body, _ = wait_for(f"wrong password {attempt} heard", lambda: (
                lambda r: None if "at once" in r[1].get("reason", "") else r)(
                self.post_login(f"guess-{attempt}")))
            self.assertEqual(status, 401, body)
        status, body, headers = self.post_login("guess-6")
        self.assertEqual(status, 429, body)
        self.assertTrue(body["reason"].startswith("Too many failed logins: try again in"), body)
        self.assertGreaterEqual(int(headers["Retry-After"]), 1)
        # The page says so too: each failure heard lengthens the wait until one is met.
        self.log_out(self.second)
        wait_for("the login page to say wait", lambda: login_attempt(
            self.second, self.station.url, "ann", "guess-page").startswith(
            "Too many failed logins: try again in"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
