#!/usr/bin/env python3
"""A judge's page in a real browser: headless Chromium driven by Selenium opens a post's page by
the address of its QR code (the code in the fragment), looks up a start number and saves a
result; the server goes away (stopped), a second result waits in the page's queue, and when
the server is back (with a new code, as every start draws one) the judge logs in again and the
waiting save is sent. Both results arrive once. A group's number lists its members, and a name
written as markup shows as that text.

Skips (exit 77) when Chromium, its driver or Selenium are missing. With SCREENSHOT_DIR set it
leaves screenshots of the page at phone size there."""
import os
import re
import socket
import sqlite3
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from board_browser_test import (MARKUP, browser, make_database, no_alert, screenshot,  # noqa: E402
                                wait_for)

from selenium.webdriver.common.by import By  # noqa: E402

cli = os.environ["VELUNDA_CLI"]
POST = 1
FACTOR = 2.0  # of post 1 in the demo evening


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start_server(directory, port):
    """velunda-cli serve on a fixed port (the page's address stays the same across the restart);
    returns the process and the page's address and code of post 1."""
    server = subprocess.Popen([cli, "serve", str(directory), "--event", "1", "--port", str(port),
                               "--bind", "127.0.0.1"], stdout=subprocess.PIPE, text=True)
    pattern = re.compile(rf"Posten {POST} Slalom: (http://127\.0\.0\.1:{port}/posten/{POST}) "
                         r"Code (\d{6})$")
    lines = []
    while True:
        line = server.stdout.readline()
        if not line:
            server.kill()
            raise AssertionError(f"no line for post {POST} from velunda-cli serve: {lines!r}")
        lines.append(line)
        match = pattern.match(line.rstrip("\n"))
        if match:
            return server, match.group(1), match.group(2)


def stop_server(server):
    server.terminate()
    server.wait(timeout=10)
    assert server.returncode == 0, f"velunda-cli serve ended with {server.returncode}"


def stored(directory, team):
    db = sqlite3.connect(directory / "Parcours.dat")
    row = db.execute("SELECT Punkte, Zeit FROM Parcours WHERE AnlassNr = 1 AND PostenNr = ? "
                     "AND TeamNr = ?", (POST, team)).fetchone()
    db.close()
    return row


def saves_logged(directory, team):
    """The sources of the post's point changes of a team in the change log: one per save."""
    db = sqlite3.connect(directory / "Protokoll.dat")
    rows = db.execute("SELECT Quelle FROM Protokoll WHERE AnlassNr = 1 AND PostenNr = ? AND "
                      "TeamNr = ? AND Feld = 'Punkte'", (POST, team)).fetchall()
    db.close()
    return [r[0] for r in rows]


def teams_by_number(directory):
    """(StartNr, TeamNr) of two teams of the event and a group's number."""
    db = sqlite3.connect(directory / "TeamsProAnlass.dat")
    teams = db.execute("SELECT StartNr, TeamNr FROM TeamsProAnlass WHERE AnlassNr = 1 AND "
                       "IsGroup = 0 AND GroupNr = 0 AND StartNr > 0 ORDER BY StartNr "
                       "LIMIT 2").fetchall()
    group = db.execute("SELECT StartNr FROM TeamsProAnlass WHERE AnlassNr = 1 AND IsGroup <> 0 "
                       "ORDER BY StartNr LIMIT 1").fetchone()[0]
    db.close()
    return teams, group


def search(driver, number):
    field = driver.find_element(By.ID, "startnr")
    field.clear()
    field.send_keys(str(number))
    driver.find_element(By.CSS_SELECTOR, "#search button").click()


def lines(driver):
    return driver.find_elements(By.CSS_SELECTOR, "#lines form.line")


def enter(driver, punkte, zeit):
    form = wait_for(lambda: (lines(driver) or [None])[0], "the participant's line")
    for name, value in [("punkte", punkte), ("zeit", zeit)]:
        field = form.find_element(By.NAME, name)
        field.clear()
        field.send_keys(value)
    return form


# Read in one go by the page itself: the list is rebuilt whenever a save's state changes.
def recent_states(driver):
    return driver.execute_script(
        "return Array.from(document.querySelectorAll('#saves .state'), e => e.textContent)")


def waiting(driver):
    return driver.execute_script(
        "var n = document.getElementById('waiting'); return n.hidden ? '' : n.textContent")


def main():
    checks = 0
    with tempfile.TemporaryDirectory() as tmp:
        tmp = Path(tmp)
        database = tmp / "db"
        database.mkdir()
        make_database(database)  # with a team named as markup, start number 99
        (first_nr, first_team), (second_nr, second_team) = teams_by_number(database)[0]
        group_nr = teams_by_number(database)[1]
        port = free_port()
        server, page, code = start_server(database, port)
        driver = None
        try:
            driver = browser(tmp / "profile", 390, 844)
            # The QR code's address: the code in the fragment logs in without typing.
            driver.get(f"{page}#code={code}")
            wait_for(lambda: not driver.find_element(By.ID, "login").is_displayed()
                     and driver.find_element(By.ID, "title").text == "Posten 1 · Slalom",
                     "the login by the QR address")
            assert "code=" not in driver.current_url, driver.current_url
            assert driver.find_element(By.ID, "event").text == "Herbstplausch Wiesental"
            checks += 1

            search(driver, group_nr)
            wait_for(lambda: len(lines(driver)) >= 2, "the group's members, one line each")
            search(driver, 99)
            wait_for(lambda: lines(driver), "the team named as markup")
            assert lines(driver)[0].find_element(By.CLASS_NAME, "name").text == MARKUP
            assert not driver.find_elements(By.CSS_SELECTOR, "main img"), "markup was inserted"
            no_alert(driver)
            checks += 1

            search(driver, first_nr)
            enter(driver, "8,5", "41.3")
            screenshot(driver, "posten-phone.png")
            lines(driver)[0].find_element(By.CSS_SELECTOR, "button[type=submit]").click()
            wait_for(lambda: recent_states(driver)[:1] and
                     recent_states(driver)[0].startswith("Gespeichert"), "the first save")
            assert stored(database, first_team) == (8.5 * FACTOR, 41.3), \
                stored(database, first_team)
            checks += 1

            # The network is gone: the page knows the second team from its list and queues.
            stop_server(server)
            server = None
            search(driver, second_nr)
            enter(driver, "6", "52,25")
            lines(driver)[0].find_element(By.CSS_SELECTOR, "button[type=submit]").click()
            wait_for(lambda: waiting(driver) == "1 Eintrag wartet auf die Verbindung.",
                     "the waiting save")
            assert driver.find_element(By.ID, "connection").text == "Keine Verbindung"
            assert recent_states(driver)[0] == "Wartet auf Verbindung"
            time.sleep(3.5)  # a retry or two into the void
            assert waiting(driver) == "1 Eintrag wartet auf die Verbindung."
            screenshot(driver, "posten-offline.png")
            checks += 1

            # Back, with a new code: the judge types it, and the waiting save goes out.
            server, page_again, new_code = start_server(database, port)
            assert page_again == page
            wait_for(lambda: driver.find_element(By.ID, "login").is_displayed(),
                     "the request to log in again", timeout=15)
            screenshot(driver, "posten-login.png")
            driver.find_element(By.ID, "code").send_keys(new_code)
            driver.find_element(By.CSS_SELECTOR, "#login-form button").click()
            wait_for(lambda: waiting(driver) == "", "the queue to be sent", timeout=15)
            wait_for(lambda: all(s.startswith("Gespeichert") for s in recent_states(driver)),
                     "both saves confirmed")
            assert len(recent_states(driver)) == 2, recent_states(driver)
            assert stored(database, second_team) == (6 * FACTOR, 52.25), \
                stored(database, second_team)
            assert stored(database, first_team) == (8.5 * FACTOR, 41.3)
            # Each arrived once, written in the post's name.
            for team in (first_team, second_team):
                assert saves_logged(database, team) == [f"Posten {POST}"], \
                    saves_logged(database, team)
            assert driver.execute_script(
                "return window.localStorage.getItem('velunda.posten.1.queue')") == "[]"
            screenshot(driver, "posten-sent.png")
            no_alert(driver)
            checks += 1
        finally:
            if driver:
                driver.quit()
            if server:
                stop_server(server)
    print(f"{checks} passed, 0 failed")


if __name__ == "__main__":
    main()
