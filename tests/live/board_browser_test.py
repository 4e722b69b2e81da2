#!/usr/bin/env python3
"""The live board in a real browser: headless Chromium driven by Selenium loads the board
served by `velunda-cli serve`, sees the standing, sees a change made by another process
appear without a reload, and shows a participant named as markup as that very text.

Skips (exit 77) when Chromium, its driver or Selenium are missing. With SCREENSHOT_DIR set
it leaves screenshots of the board at phone size and in beamer mode there."""
import os
import re
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SKIP = 77
MARKUP = "<img src=x onerror=alert(1)>"


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.common.exceptions import NoAlertPresentException
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    skip("python3-selenium is not installed (scripts/setup.sh installs it)")

chromium = shutil.which("chromium")
chromedriver = shutil.which("chromedriver") or "/usr/bin/chromedriver"
if not chromium or not os.path.exists(chromedriver):
    skip("chromium or chromium-driver is not installed (scripts/setup.sh installs them)")

cli = os.environ["VELUNDA_CLI"]
source = Path(os.environ["VELUNDA_SOURCE_DIR"])


def wait_for(condition, what, timeout=10.0):
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.1)


def make_database(directory):
    subprocess.run([cli, "init-db", str(directory)], check=True, capture_output=True)
    subprocess.run([sys.executable, str(source / "scripts" / "demo-db.py"), str(directory)],
                   check=True, capture_output=True)
    db = sqlite3.connect(directory / "Team.dat")
    db.execute("ATTACH ? AS e", (str(directory / "TeamsProAnlass.dat"),))
    db.execute("ATTACH ? AS p", (str(directory / "Parcours.dat"),))
    team = db.execute("SELECT max(TeamNr) + 1 FROM Team").fetchone()[0]
    db.execute("INSERT INTO Team VALUES (?, 1, 0, ?, '', 'Verein', 'Hund', 'Rasse', 1, 0, 0)",
               (team, MARKUP))
    db.execute("INSERT INTO e.TeamsProAnlass VALUES (1, ?, 99, 1, 0, 0, 0, 0, 0)", (team,))
    db.execute("INSERT INTO p.Parcours VALUES (1, 1, ?, 500, 10, 0, 0, 0, 0)", (team,))
    db.commit()
    db.close()


def start_server(directory):
    server = subprocess.Popen([cli, "serve", str(directory), "--event", "1", "--port", "0",
                               "--bind", "127.0.0.1"], stdout=subprocess.PIPE, text=True)
    line = server.stdout.readline()
    match = re.match(r"Live: (http://127\.0\.0\.1:\d+/)", line)
    if not match:
        server.kill()
        raise AssertionError(f"no address from velunda-cli serve: {line!r}")
    return server, match.group(1)


def browser(profile, width, height):
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync", "--hide-scrollbars",
                 f"--user-data-dir={profile}", f"--window-size={width},{height}"]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(chromedriver), options=options)
    if width < 500:
        # Headless windows are at least 500 pixels wide; a phone's screen is narrower.
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 1, "mobile": True})
    return driver


def rows(driver):
    """(rank, name) of every row shown, read at once: the board replaces its rows when the
    standing changes, so element handles could go stale between two reads."""
    return driver.execute_script(
        "return Array.from(document.querySelectorAll('#rows tr')).map(function (tr) {"
        "  return [tr.querySelector('.rank').textContent,"
        "          tr.querySelector('.who .name').textContent.trim()]; });")


def no_alert(driver):
    try:
        text = driver.switch_to.alert.text
    except NoAlertPresentException:
        return True
    raise AssertionError(f"a script ran: alert {text!r}")


def screenshot(driver, name):
    target = os.environ.get("SCREENSHOT_DIR")
    if target:
        driver.save_screenshot(str(Path(target) / name))


def main():
    checks = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        database = tmp / "db"
        database.mkdir()
        make_database(database)
        server, url = start_server(database)
        driver = None
        try:
            driver = browser(tmp / "profile", 390, 844)
            driver.get(url + "?kategorie=1")
            wait_for(lambda: len(rows(driver)) > 0, "the standing")
            first = rows(driver)[0]
            assert first == ["1", MARKUP], first
            assert not driver.find_elements(By.CSS_SELECTOR, "main img"), "markup was inserted"
            no_alert(driver)
            checks += 1

            progress = driver.find_element(By.ID, "progress").text
            assert re.fullmatch(r"\d+ von \d+ fertig", progress), progress
            assert driver.find_element(By.ID, "changed").text.startswith("Letzte Änderung: ")
            assert driver.find_element(By.ID, "title").text == "Herbstplausch Wiesental"
            checks += 1
            screenshot(driver, "board-phone.png")

            # Another process moves the last finished team of the category to the top.
            driver.execute_script("window.sameDocument = 'ja';")
            last = rows(driver)[-1][1]
            db = sqlite3.connect(database / "Parcours.dat")
            db.execute("ATTACH ? AS e", (str(database / "TeamsProAnlass.dat"),))
            db.execute("ATTACH ? AS t", (str(database / "Team.dat"),))
            db.execute(
                "UPDATE Parcours SET Punkte = Punkte + 1000 WHERE AnlassNr = 1 AND TeamNr = "
                "(SELECT e.TeamNr FROM e.TeamsProAnlass e JOIN t.Team USING (TeamNr) "
                " WHERE e.AnlassNr = 1 AND e.Abgeschlossen AND e.GroupNr = 0 AND e.IsGroup = 0"
                " AND Name || ' ' || Vorname = ? LIMIT 1) AND PostenNr = 1", (last,))
            assert db.total_changes == 1, "the last team was not found"
            db.commit()
            db.close()
            changed_at = time.monotonic()
            wait_for(lambda: rows(driver)[0][1] == last, "the change on the board", timeout=8)
            print(f"change shown after {time.monotonic() - changed_at:.1f} s")
            assert driver.execute_script("return window.sameDocument") == "ja", "reloaded"
            no_alert(driver)
            checks += 1

            driver.quit()
            driver = browser(tmp / "profile-beamer", 1280, 720)
            driver.get(url + "?modus=beamer")
            wait_for(lambda: len(rows(driver)) > 0, "the beamer's standing")
            assert "beamer" in driver.find_element(By.TAG_NAME, "body").get_attribute("class")
            assert driver.find_element(By.ID, "category-name").text == "Senioren"
            assert not driver.find_element(By.ID, "controls").is_displayed()
            no_alert(driver)
            checks += 1
            screenshot(driver, "board-beamer.png")
        finally:
            if driver:
                driver.quit()
            server.send_signal(signal.SIGTERM)
            server.wait(timeout=10)
        assert server.returncode == 0, f"velunda-cli serve ended with {server.returncode}"
    print(f"{checks} passed, 0 failed")


if __name__ == "__main__":
    main()
