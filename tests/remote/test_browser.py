#!/usr/bin/env python3
"""The status page in a real browser (headless Chromium through Selenium),
against a panel on the simulated pump: the page loads, shows the pump's
values, follows its answers, and shows the controls only with the token."""
import json
import shutil
import subprocess
import sys
import time
import urllib.request

host = sys.argv[1]
chromium = shutil.which("chromium")
driver_path = shutil.which("chromedriver")
if not chromium or not driver_path:
    print("SKIP: chromium and chromium-driver are not installed (scripts/setup installs them)")
    sys.exit(77)
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    print("SKIP: python3-selenium is not installed (scripts/setup installs it)")
    sys.exit(77)

TOKEN = "browsertoken_0123456789abcdefghijklmnopqrstu"


def start(control):
    proc = subprocess.Popen([host, TOKEN, control], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    line = proc.stdout.readline().split()
    assert line and line[0] == "PORT", line
    return proc, int(line[1])


def wait(check, what, seconds=15):
    end = time.time() + seconds
    while time.time() < end:
        value = check()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out: " + what)


options = webdriver.ChromeOptions()
for arg in ("--headless", "--no-sandbox", "--disable-gpu", "--window-size=400,900"):
    options.add_argument(arg)
options.binary_location = chromium
browser = webdriver.Chrome(service=Service(driver_path), options=options)
procs = []
try:
    proc, port = start("on")
    procs.append(proc)
    base = "http://127.0.0.1:%d/" % port
    # Without the token: values live, no controls.
    browser.get(base)
    wait(lambda: browser.find_element(By.ID, "pressure").text not in ("", "–"), "the pressure shown")
    assert browser.find_element(By.ID, "limit").text == "2.0", browser.find_element(By.ID, "limit").text
    first = browser.find_element(By.ID, "pressure").text
    time.sleep(1)
    assert not browser.find_element(By.ID, "controls").is_displayed(), "controls shown without the token"
    # The pump runs (a script with the token): the pressure shown rises.
    request = urllib.request.Request(base + "api/v1/run", data=b"", method="POST",
                                     headers={"Authorization": "Bearer " + TOKEN})
    assert json.load(urllib.request.urlopen(request))["ok"]
    urllib.request.urlopen(urllib.request.Request(base + "api/v1/flow", data=b'{"ml_min": 400}', method="POST",
                                                  headers={"Authorization": "Bearer " + TOKEN}))
    wait(lambda: browser.find_element(By.ID, "pressure").text != first, "the pressure to change")
    assert browser.find_element(By.ID, "flow").text == "400", browser.find_element(By.ID, "flow").text
    # With the one-time link the controls appear and the token leaves the address.
    browser.get(base + "#token=" + TOKEN)
    wait(lambda: browser.find_element(By.ID, "controls").is_displayed(), "the controls with the token")
    assert "token" not in browser.current_url, browser.current_url
    browser.find_element(By.ID, "stop").click()
    wait(lambda: browser.find_element(By.ID, "answer").text != "", "the stop's answer")
    # The panel goes away: the page says so.
    proc.stdin.close()
    proc.wait(10)
    wait(lambda: browser.find_element(By.ID, "gone").is_displayed(), "the panel gone")
    print("PASS")
finally:
    browser.quit()
    for p in procs:
        if p.poll() is None:
            p.kill()
