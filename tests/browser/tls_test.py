# The remote panel over TLS, as it must be served beyond this computer: a certificate made with
# openssl for the test, the page and its feed over https and wss.

import os
import subprocess
import unittest

from selenium.webdriver.common.by import By

from harness import Station, WAIT_S, browser, card_text, log_in, page_text, wait_for


# A self-signed certificate for 127.0.0.1 and its key; the options that serve them.
def certificate(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    made = subprocess.run(
        ["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
         "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
         "subjectAltName=IP:127.0.0.1", "-keyout", key, "-out", cert],
        capture_output=True, text=True, timeout=WAIT_S)
    assert made.returncode == 0, made.stderr
    return ["--remote-bind", "127.0.0.1", "--remote-cert", cert, "--remote-key", key]


class Tls(unittest.TestCase):
    def test_the_panel_and_its_feed_over_tls(self):
        with Station({"ann": ("operate", "ann-password")}, certificate, "https") as station:
            driver = browser(insecure=True)
            self.addCleanup(driver.quit)
            log_in(driver, station.url, "ann", "ann-password")
            wait_for("the feed over wss", lambda: card_text(driver, ".badge") == "LINK UP",
                     explain=lambda: page_text(driver))
            self.assertEqual(driver.find_element(By.ID, "connection").text, "Connected")
            self.assertTrue(driver.current_url.startswith("https://"), driver.current_url)
            self.assertTrue(all(c["secure"] for c in driver.get_cookies()))


if __name__ == "__main__":
    unittest.main(verbosity=2)
