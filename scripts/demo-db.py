#!/usr/bin/env python3
"""Fills an empty Velunda database (made by `velunda-cli init-db DIR`) with a demo evening:
three categories, three posts, 36 teams (or as many as asked) and two groups, most of them
finished. For trying the live board and for its screenshots; the names are made up.

Usage: demo-db.py DIR [TEAMS]"""
import random
import sqlite3
import sys
from pathlib import Path

directory = Path(sys.argv[1])
teams = int(sys.argv[2]) if len(sys.argv) > 2 else 36
random.seed(7)

db = sqlite3.connect(directory / "Anlass.dat")
for table in ["Team", "TeamsProAnlass", "Parcours", "Kategorie", "Posten", "TeamsProGruppe"]:
    db.execute(f"ATTACH ? AS {table}", (str(directory / f"{table}.dat"),))

categories = ["Senioren", "Junioren", "Plausch"]
for i, name in enumerate(categories, 1):
    db.execute("INSERT INTO Kategorie (KatNr, KatBez) VALUES (?, ?)", (i, name))
for i, (name, factor) in enumerate([("Slalom", 2.0), ("Tunnel", 1.0), ("Wippe", 1.5)], 1):
    db.execute("INSERT INTO Posten (PostenNr, PostenBez, Faktor, Aktiv) VALUES (?, ?, ?, 1)",
               (i, name, factor))
db.execute("INSERT INTO Anlass (AnlassNr, AnlassBez, Rangberechnung, PunkteSort, ZeitSort, "
           "AutoRangBerechnung, RangBerNachTeams, Zusatzspiel, ZusatzspielName) VALUES "
           "(1, 'Herbstplausch Wiesental', 'Punkte/Zeit', 1, 2, 0, 0, 1, 'Ballspiel')")

first = ["Anna", "Ben", "Carla", "Dario", "Eva", "Fritz", "Gina", "Hans", "Iris", "Jonas",
         "Katrin", "Luca", "Mia", "Nico", "Olga", "Paul", "Rosa", "Sven"]
last = ["Amsler", "Brunner", "Christen", "Dubach", "Egli", "Frei", "Gerber", "Huber", "Imhof",
        "Jost", "Keller", "Lüthi", "Meier", "Nussbaum", "Oberli", "Probst", "Rüegg", "Steiner"]
dogs = [("Bello", "Border Collie"), ("Luna", "Labrador"), ("Kira", "Malinois"),
        ("Rocky", "Jack Russell"), ("Nala", "Australian Shepherd"), ("Sam", "Pudel"),
        ("Zora", "Sheltie"), ("Max", "Mischling")]
clubs = ["KV Wiesental", "SC Hundesport Au", "HC Rheinblick", "Plauschgruppe Buech"]

team_nr = 0
def add_team(name, vorname, kat, typ=1):
    global team_nr
    team_nr += 1
    hund, rasse = random.choice(dogs)
    db.execute("INSERT INTO Team (TeamNr, Typ, StartNr, Name, Vorname, Verein, Hund, Rasse, KatNr, "
               "Zusatzspiel, RandomNum) VALUES (?, ?, 0, ?, ?, ?, ?, ?, ?, 1, 0)",
               (team_nr, typ, name, vorname, random.choice(clubs), hund if typ == 1 else "",
                rasse if typ == 1 else "", kat))
    return team_nr

def results(nr):
    for post, factor in [(1, 2.0), (2, 1.0), (3, 1.5)]:
        db.execute("INSERT INTO Parcours (AnlassNr, PostenNr, TeamNr, Punkte, Zeit, "
                   "ZusatzspielPunkte, ZusatzspielZeit, SatzVerarbeitet, ZusatzspielVerarbeitet) "
                   "VALUES (1, ?, ?, ?, ?, ?, ?, 0, 0)",
                   (post, nr, random.choice([4, 6, 8, 10]) * factor,
                    round(random.uniform(20, 60), 1), random.choice([0, 2, 4]),
                    round(random.uniform(5, 15), 1)))

start = 0
for i in range(teams):
    kat = 1 + i % 3
    nr = add_team(last[i % len(last)], first[(i * 7) % len(first)], kat)
    start += 1
    finished = random.random() < 0.8
    db.execute("INSERT INTO TeamsProAnlass VALUES (1, ?, ?, ?, 0, 0, 0, ?, 0)",
               (nr, start, int(finished), int(finished and random.random() < 0.7)))
    results(nr)
for g, kat in [("Wirbelwinde", 2), ("Pfotenteam", 3)]:
    group = add_team(g, "", kat, typ=2)
    start += 1
    db.execute("INSERT INTO TeamsProAnlass VALUES (1, ?, ?, 1, 0, 1, 0, 1, 0)", (group, start))
    for m in range(3):
        member = add_team(random.choice(last), random.choice(first), kat)
        db.execute("INSERT INTO TeamsProGruppe VALUES (?, ?)", (group, member))
        db.execute("INSERT INTO TeamsProAnlass VALUES (1, ?, ?, 1, 0, 0, ?, 1, 0)",
                   (member, start, group))
        results(member)
db.commit()
print(f"Demo-Anlass 1 in {directory}: {team_nr} Teams")
