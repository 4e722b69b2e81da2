// Velunda's page for the judge of one post. Saves go into a queue kept in the browser first and
// are sent from there in order, so that nothing typed is lost while the Wi-Fi is gone; each
// save carries an id, so that one sent again after its answer was lost is stored once. All
// text from the server or the judge is inserted with textContent, never as markup.
'use strict';

(function () {
  var RETRY_MS = 3000;
  var LIST_MS = 60000;
  var RECENT = 20;

  var match = /^\/posten\/(\d+)$/.exec(window.location.pathname);
  var postenNr = match ? Number(match[1]) : 0;
  var prefix = 'velunda.posten.' + postenNr + '.';

  var number = new Intl.NumberFormat('de-DE',
    { minimumFractionDigits: 2, maximumFractionDigits: 2, useGrouping: false });
  var clock = new Intl.DateTimeFormat('de-DE', { hour: '2-digit', minute: '2-digit' });

  var state = {
    token: load('token', ''),
    postenBez: load('postenBez', ''),
    queue: load('queue', []),
    recent: load('recent', []),
    list: load('list', { at: 0, lines: [] }),
    event: null,
    online: true,
    sending: false,
    shown: []
  };

  function $(id) { return document.getElementById(id); }

  function load(name, fallback) {
    try {
      var text = window.localStorage.getItem(prefix + name);
      return text === null ? fallback : JSON.parse(text);
    } catch (e) {
      return fallback;
    }
  }

  function store(name, value) {
    try {
      window.localStorage.setItem(prefix + name, JSON.stringify(value));
    } catch (e) {
      // A full or blocked storage: the queue still lives in this page until it is sent.
    }
  }

  function element(tag, className, text) {
    var e = document.createElement(tag);
    if (className) e.className = className;
    if (text !== undefined) e.textContent = text;
    return e;
  }

  function clear(node) {
    while (node.firstChild) node.removeChild(node.firstChild);
  }

  function message(id, text, bad) {
    var node = $(id);
    node.textContent = text || '';
    node.classList.toggle('bad', !!bad);
  }

  // Ids from the browser's cryptographic source; randomUUID exists only on https pages.
  function newId() {
    var bytes = new Uint8Array(16);
    window.crypto.getRandomValues(bytes);
    return Array.prototype.map.call(bytes, function (b) {
      return (b < 16 ? '0' : '') + b.toString(16);
    }).join('');
  }

  // Comma or point separate the decimals; anything else is no number.
  function parse(text) {
    var t = String(text).trim().replace(',', '.');
    if (!/^[+-]?(\d+\.?\d*|\.\d+)$/.test(t)) return null;
    var value = Number(t);
    return isFinite(value) ? value : null;
  }

  function format(value) { return number.format(value); }

  function gameName() {
    return state.event && state.event.zusatzspielName ? state.event.zusatzspielName : 'Zusatzspiel';
  }

  function valuesText(v, withAdd) {
    var text = 'Punkte ' + format(v.punkte) + ' · Zeit ' + format(v.zeit);
    if (withAdd) text += ' · ' + gameName() + ' ' + format(v.zusatzPunkte) + ' / ' + format(v.zusatzZeit);
    return text;
  }

  function request(method, url, body) {
    var headers = { 'Authorization': 'Bearer ' + state.token };
    var options = { method: method, headers: headers, cache: 'no-store' };
    if (body !== undefined) {
      headers['Content-Type'] = 'application/json';
      options.body = JSON.stringify(body);
    }
    return fetch(url, options).then(function (response) {
      setOnline(true);
      return response.json().catch(function () { return {}; }).then(function (data) {
        return { status: response.status, data: data };
      });
    }, function (error) {
      setOnline(false);
      throw error;
    });
  }

  function setOnline(online) {
    state.online = online;
    showConnection();
  }

  function showConnection() {
    var node = $('connection');
    var waiting = state.queue.length;
    var usable = state.online && state.token;
    node.className = usable ? 'online' : 'offline';
    node.textContent = !state.online ? 'Keine Verbindung' : !state.token ? 'Nicht angemeldet'
      : waiting ? 'Sendet …' : 'Verbunden';
    var note = $('waiting');
    note.hidden = waiting === 0;
    var what = !state.online ? 'auf die Verbindung' : !state.token ? 'auf die Anmeldung' : 'auf das Senden';
    note.textContent = (waiting === 1 ? '1 Eintrag wartet ' : waiting + ' Einträge warten ') + what + '.';
  }

  // ---- Logging in -------------------------------------------------------------------------

  function showLogin(text, bad) {
    state.token = '';
    store('token', '');
    showConnection();
    $('login').hidden = false;
    message('login-message', text, bad);
    $('code').focus();
  }

  function login(code) {
    message('login-message', 'Anmelden …');
    return fetch('/api/login', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({ postenNr: postenNr, code: code }),
      cache: 'no-store'
    }).then(function (response) {
      setOnline(true);
      return response.json().catch(function () { return {}; }).then(function (data) {
        if (!response.ok) {
          showLogin(data.fehler || 'Anmelden ging nicht (' + response.status + ').', true);
          return;
        }
        state.token = data.token;
        state.postenBez = data.postenBez || '';
        store('token', state.token);
        store('postenBez', state.postenBez);
        $('login').hidden = true;
        $('code').value = '';
        showConnection();
        message('login-message', '');
        showTitle();
        loadList();
        flush();
        $('startnr').focus();
      });
    }, function () {
      setOnline(false);
      showLogin('Keine Verbindung zum Velunda-Computer. Bitte gleich noch einmal versuchen.', true);
    });
  }

  function showTitle() {
    var title = 'Posten ' + postenNr + (state.postenBez ? ' · ' + state.postenBez : '');
    $('title').textContent = title;
    document.title = title + ' – Velunda';
    $('event').textContent = state.event ? state.event.name : '';
  }

  // ---- Who is it --------------------------------------------------------------------------

  function loadList() {
    return request('GET', '/api/teilnehmer').then(function (answer) {
      if (answer.status === 401) return showLogin('Bitte neu anmelden (der Server wurde neu gestartet).', true);
      if (answer.status === 200) {
        state.list = { at: Date.now(), lines: answer.data };
        store('list', state.list);
      }
    }, function () {});
  }

  function loadEvent() {
    return fetch('/api/event', { cache: 'no-store' }).then(function (response) {
      return response.ok ? response.json() : null;
    }).then(function (event) {
      if (event) {
        state.event = event;
        showTitle();
      }
    }, function () {});
  }

  // The values a line shows: the last of its saves still waiting, else what is stored.
  function currentValues(line) {
    for (var i = state.queue.length - 1; i >= 0; i--) {
      if (state.queue[i].teamNr === line.teamNr) return state.queue[i].values;
    }
    return { punkte: line.punkte, zeit: line.zeit, zusatzPunkte: line.zusatzPunkte, zusatzZeit: line.zusatzZeit };
  }

  function search(startNr) {
    message('search-message', 'Suche …');
    clear($('lines'));
    return request('GET', '/api/teilnehmer?startNr=' + encodeURIComponent(startNr)).then(function (answer) {
      if (answer.status === 401) {
        showLines(startNr, fromList(startNr), true);
        return showLogin('Bitte neu anmelden (der Server wurde neu gestartet).', true);
      }
      if (answer.status !== 200) return message('search-message', answer.data.fehler || 'Fehler ' + answer.status, true);
      rememberLines(startNr, answer.data);
      showLines(startNr, answer.data, false);
    }, function () {
      showLines(startNr, fromList(startNr), true);
    });
  }

  function fromList(startNr) {
    return state.list.lines.filter(function (l) { return l.startNr === startNr; });
  }

  function rememberLines(startNr, lines) {
    var others = state.list.lines.filter(function (l) { return l.startNr !== startNr; });
    state.list.lines = others.concat(lines);
    store('list', state.list);
  }

  function showLines(startNr, lines, offline) {
    var box = $('lines');
    clear(box);
    state.shown = lines;
    if (!lines.length) {
      message('search-message', offline
        ? 'Keine Verbindung, und die Startnummer ' + startNr + ' ist hier noch nicht bekannt.'
        : 'Startnummer ' + startNr + ' hat an diesem Posten niemanden.', true);
      return;
    }
    message('search-message', offline
      ? 'Keine Verbindung: Angaben von ' + clock.format(new Date(state.list.at || Date.now())) +
        '. Gespeichertes wird gesendet, sobald die Verbindung zurück ist.'
      : '', offline);
    lines.forEach(function (line, index) { box.appendChild(lineForm(line, index === 0)); });
  }

  function field(form, name, caption, value, show) {
    var wrap = element('div');
    var id = 'f' + form.dataset.team + name;
    var label = element('label', '', caption);
    label.htmlFor = id;
    var input = element('input');
    input.id = id;
    input.name = name;
    input.inputMode = 'decimal';
    input.autocomplete = 'off';
    input.value = show ? format(value) : '';
    input.placeholder = '0,00';
    wrap.appendChild(label);
    wrap.appendChild(input);
    return wrap;
  }

  function lineForm(line, focus) {
    var form = element('form', 'line');
    form.dataset.team = String(line.teamNr);
    form.autocomplete = 'off';
    form.appendChild(element('div', 'name', line.name));
    var sub = [line.hund ? 'mit ' + line.hund : '', line.kategorie];
    if (line.gruppe) sub.push('Gruppe ' + line.gruppe);
    form.appendChild(element('div', 'sub', 'Nr. ' + line.startNr + ' · ' +
      sub.filter(function (s) { return s; }).join(' · ')));
    var seen = currentValues(line);
    var entered = seen.punkte !== 0 || seen.zeit !== 0 || seen.zusatzPunkte !== 0 || seen.zusatzZeit !== 0;
    var fields = element('div', 'fields');
    fields.appendChild(field(form, 'punkte', 'Punkte', seen.punkte, entered));
    fields.appendChild(field(form, 'zeit', 'Zeit', seen.zeit, entered));
    if (line.zusatzspiel) {
      var game = gameName();
      fields.appendChild(field(form, 'zusatzPunkte', game + ': Punkte', seen.zusatzPunkte, entered));
      fields.appendChild(field(form, 'zusatzZeit', game + ': Zeit', seen.zusatzZeit, entered));
    }
    form.appendChild(fields);
    var save = element('button', '', 'Speichern');
    save.type = 'submit';
    form.appendChild(save);
    form.appendChild(element('p', 'message'));
    form.addEventListener('submit', function (e) {
      e.preventDefault();
      saveLine(form, line, seen);
    });
    if (focus) window.setTimeout(function () { form.elements.punkte.focus(); form.elements.punkte.select(); }, 0);
    return form;
  }

  // ---- Saving -----------------------------------------------------------------------------

  function saveLine(form, line, seen) {
    var names = line.zusatzspiel ? ['punkte', 'zeit', 'zusatzPunkte', 'zusatzZeit'] : ['punkte', 'zeit'];
    var values = {};
    for (var i = 0; i < names.length; i++) {
      var value = parse(form.elements[names[i]].value);
      if (value === null) {
        form.querySelector('.message').textContent = 'Bitte in jedes Feld eine Zahl eingeben (z. B. 7,5).';
        form.querySelector('.message').classList.add('bad');
        form.elements[names[i]].focus();
        return;
      }
      values[names[i]] = value;
    }
    if (!line.zusatzspiel) {
      values.zusatzPunkte = seen.zusatzPunkte;
      values.zusatzZeit = seen.zusatzZeit;
    }
    enqueue({
      id: newId(),
      teamNr: line.teamNr,
      startNr: line.startNr,
      name: line.name,
      zusatzspiel: line.zusatzspiel,
      values: values,
      vorher: seen
    });
    form.parentNode.removeChild(form);
    if (!$('lines').firstChild) {
      message('search-message', '');
      $('startnr').value = '';
      $('startnr').focus();
    }
  }

  function enqueue(save) {
    state.queue.push(save);
    store('queue', state.queue);
    setRecent({ id: save.id, teamNr: save.teamNr, startNr: save.startNr, name: save.name,
      zusatzspiel: save.zusatzspiel, values: save.values, at: Date.now(), status: 'wait' });
    showConnection();
    flush();
  }

  function setRecent(item) {
    var rest = state.recent.filter(function (r) { return r.id !== item.id; });
    state.recent = [item].concat(rest).slice(0, RECENT);
    store('recent', state.recent);
    showRecent();
  }

  function updateRecent(id, change) {
    state.recent.forEach(function (r) {
      if (r.id === id) Object.keys(change).forEach(function (k) { r[k] = change[k]; });
    });
    store('recent', state.recent);
    showRecent();
  }

  function body(save) {
    var b = { id: save.id, teamNr: save.teamNr, punkte: save.values.punkte, zeit: save.values.zeit };
    var vorher = { punkte: save.vorher.punkte, zeit: save.vorher.zeit };
    if (save.zusatzspiel) {
      b.zusatzPunkte = save.values.zusatzPunkte;
      b.zusatzZeit = save.values.zusatzZeit;
      vorher.zusatzPunkte = save.vorher.zusatzPunkte;
      vorher.zusatzZeit = save.vorher.zusatzZeit;
    }
    if (!save.force) b.vorher = vorher;
    return b;
  }

  function dequeue(save) {
    state.queue = state.queue.filter(function (s) { return s.id !== save.id; });
    store('queue', state.queue);
    showConnection();
  }

  // Sends the waiting saves one after the other, in the order they were typed.
  function flush() {
    if (state.sending || !state.queue.length || !state.token) return;
    state.sending = true;
    var save = state.queue[0];
    request('POST', '/api/ergebnis', body(save)).then(function (answer) {
      state.sending = false;
      if (answer.status === 401) {
        showLogin('Bitte neu anmelden (der Server wurde neu gestartet). Die wartenden Einträge gehen nicht verloren.', true);
        return;
      }
      if (answer.status === 503 || answer.status >= 500) return retryLater();
      dequeue(save);
      if (answer.status === 200) {
        var stored = answer.data;
        updateRecent(save.id, { status: 'ok', values: stored, at: Date.now() });
        updateListValues(save.teamNr, stored);
      } else if (answer.status === 409) {
        updateRecent(save.id, { status: 'conflict', stored: answer.data.gespeichert, save: save,
          message: answer.data.fehler });
      } else {
        updateRecent(save.id, { status: 'bad', message: answer.data.fehler || 'Fehler ' + answer.status });
      }
      flush();
    }, function () {
      state.sending = false;
      retryLater();
    });
  }

  // The save stays first in the queue; the next round of flush sends it again.
  function retryLater() {
    showConnection();
  }

  function updateListValues(teamNr, stored) {
    state.list.lines.forEach(function (l) {
      if (l.teamNr === teamNr) {
        l.punkte = stored.punkte;
        l.zeit = stored.zeit;
        l.zusatzPunkte = stored.zusatzPunkte;
        l.zusatzZeit = stored.zusatzZeit;
      }
    });
    store('list', state.list);
  }

  // ---- Last saves -------------------------------------------------------------------------

  function showRecent() {
    var list = $('saves');
    clear(list);
    $('no-saves').hidden = state.recent.length > 0;
    state.recent.forEach(function (r) {
      var item = element('li');
      item.dataset.id = r.id;
      item.className = r.status;
      item.appendChild(element('span', 'what', 'Nr. ' + r.startNr + ' · ' + r.name));
      item.appendChild(element('span', 'values', valuesText(r.values, r.zusatzspiel)));
      var state_ = element('span', 'state');
      var actions = element('span', 'actions');
      if (r.status === 'ok') {
        state_.classList.add('ok');
        state_.textContent = 'Gespeichert ' + clock.format(new Date(r.at));
        actions.appendChild(button('Korrigieren', function () { correct(r); }));
      } else if (r.status === 'wait') {
        state_.classList.add('wait');
        state_.textContent = 'Wartet auf Verbindung';
      } else if (r.status === 'conflict') {
        state_.classList.add('bad');
        state_.textContent = 'Nicht gespeichert: inzwischen anderswo geändert auf ' +
          valuesText(r.stored, r.zusatzspiel) + '.';
        actions.appendChild(button('Meine Werte speichern', function () { overwrite(r); }));
        actions.appendChild(button('So lassen', function () { dismiss(r); }, true));
      } else {
        state_.classList.add('bad');
        state_.textContent = 'Nicht gespeichert: ' + (r.message || '');
        actions.appendChild(button('Korrigieren', function () { correct(r); }));
      }
      item.appendChild(state_);
      item.appendChild(actions);
      list.appendChild(item);
    });
  }

  function button(caption, action, quiet) {
    var b = element('button', 'small' + (quiet ? ' quiet' : ''), caption);
    b.type = 'button';
    b.addEventListener('click', action);
    return b;
  }

  function correct(r) {
    $('startnr').value = String(r.startNr);
    search(r.startNr);
    window.scrollTo(0, 0);
  }

  // The judge keeps their own values over the ones stored meanwhile.
  function overwrite(r) {
    var again = r.save;
    again.id = newId();
    again.vorher = r.stored;
    dismiss(r);
    enqueue(again);
  }

  function dismiss(r) {
    state.recent = state.recent.filter(function (x) { return x.id !== r.id; });
    store('recent', state.recent);
    showRecent();
  }

  // ---- Start ------------------------------------------------------------------------------

  function start() {
    $('login-form').addEventListener('submit', function (e) {
      e.preventDefault();
      login($('code').value.trim());
    });
    $('search').addEventListener('submit', function (e) {
      e.preventDefault();
      var startNr = parse($('startnr').value);
      if (startNr === null || startNr < 0 || Math.floor(startNr) !== startNr) {
        message('search-message', 'Die Startnummer ist eine ganze Zahl.', true);
        return;
      }
      search(startNr);
    });
    $('entry').hidden = false;
    showTitle();
    showRecent();
    showConnection();
    loadEvent();

    // A scanned access card carries the code in the fragment, which the browser never sends;
    // it is taken from the address bar at once.
    var code = /(?:^#|&)code=(\d{6})(?:&|$)/.exec(window.location.hash);
    if (code) {
      window.history.replaceState(null, '', window.location.pathname);
      login(code[1]);
    } else if (!state.token) {
      showLogin('');
    } else {
      loadList();
      flush();
      $('startnr').focus();
    }
    window.setInterval(flush, RETRY_MS);
    window.setInterval(function () { if (state.token && state.online) loadList(); }, LIST_MS);
    window.addEventListener('online', flush);
  }

  start();
}());
