// Velunda's live board. Everything shown comes from the JSON interface and is inserted as
// text (textContent), never as markup: names are typed by people.
'use strict';

(function () {
  var POLL_MS = 1000;
  var SLIDE_MS = 12000;
  var ALL = 'all';

  var params = new URLSearchParams(window.location.search);
  var state = {
    event: null,
    eventTag: '',
    list: null,
    listTag: '',
    listKey: '',
    category: params.get('kategorie') || ALL,
    kind: params.get('liste') || 'single',
    beamer: params.get('modus') === 'beamer',
    slide: 0,
    page: 0,
    pages: 1
  };

  var locale = (navigator.language || '').slice(0, 2) === 'de' ? navigator.language : 'de-DE';
  // As on the printed list: two decimals, no thousands separator.
  var number = new Intl.NumberFormat(locale,
    { minimumFractionDigits: 2, maximumFractionDigits: 2, useGrouping: false });
  var clock = new Intl.DateTimeFormat(locale, { hour: '2-digit', minute: '2-digit', second: '2-digit' });
  var day = new Intl.DateTimeFormat(locale, { day: 'numeric', month: 'numeric', year: 'numeric' });

  function $(id) { return document.getElementById(id); }

  function setText(id, text) { $(id).textContent = text; }

  function cell(className, text) {
    var td = document.createElement('td');
    td.className = className;
    td.textContent = text;
    return td;
  }

  // GET with the last ETag: null when nothing changed, else {data, tag, modified}.
  function load(url, tag) {
    var headers = {};
    if (tag) headers['If-None-Match'] = tag;
    return fetch(url, { cache: 'no-store', headers: headers }).then(function (response) {
      if (response.status === 304) return null;
      return response.json().then(function (data) {
        if (!response.ok) {
          var error = new Error(data && data.fehler ? data.fehler : 'Fehler ' + response.status);
          error.status = response.status;
          throw error;
        }
        return {
          data: data,
          tag: response.headers.get('ETag') || '',
          modified: response.headers.get('Last-Modified')
        };
      });
    });
  }

  function kindsOf(event) {
    var kinds = [['single', 'Einzelrangliste'], ['group', 'Gruppenrangliste']];
    if (event && event.zusatzspiel) {
      kinds.push(['additional', event.zusatzspielName || 'Zusatzspiel']);
      kinds.push(['combined', 'Kombinierte Rangliste']);
    }
    return kinds;
  }

  function categoryName(katNr) {
    if (katNr === ALL || !state.event) return 'Alle Kategorien';
    for (var i = 0; i < state.event.kategorien.length; i++) {
      if (String(state.event.kategorien[i].katNr) === String(katNr)) return state.event.kategorien[i].name;
    }
    return '';
  }

  function fillSelect(select, items, chosen) {
    while (select.firstChild) select.removeChild(select.firstChild);
    items.forEach(function (item) {
      var option = document.createElement('option');
      option.value = item[0];
      option.textContent = item[1];
      select.appendChild(option);
    });
    select.value = chosen;
  }

  function showEvent() {
    var event = state.event;
    setText('title', event.name);
    document.title = event.name + ' – Live-Ergebnisse';
    var kinds = kindsOf(event);
    if (!kinds.some(function (k) { return k[0] === state.kind; })) state.kind = 'single';
    var categories = [[ALL, 'Alle (Gemischt)']].concat(event.kategorien.map(function (c) {
      return [String(c.katNr), c.name];
    }));
    if (!categories.some(function (c) { return c[0] === String(state.category); })) state.category = ALL;
    fillSelect($('kind'), kinds, state.kind);
    fillSelect($('category'), categories, String(state.category));
  }

  // The beamer shows every category in turn; without categories, the mixed list.
  function beamerCategories() {
    var list = state.event ? state.event.kategorien.map(function (c) { return String(c.katNr); }) : [];
    return list.length ? list : [ALL];
  }

  function pointsFirst() {
    var method = state.event ? state.event.rangberechnung : '';
    return method.indexOf('Punkte/Zeit') === 0 || method.indexOf('Nach Punkten') === 0;
  }

  function showList() {
    var list = state.list;
    var rows = list.rows;
    setText('subtitle', list.subtitle);
    setText('category-name', categoryName(state.category));
    setText('progress', list.fertig + ' von ' + list.gemeldet + ' fertig');
    var pointsLead = pointsFirst();
    setText('first-value', pointsLead ? 'Punkte' : 'Zeit');
    setText('second-value', pointsLead ? 'Zeit' : 'Punkte');

    var body = $('rows');
    var fresh = document.createElement('tbody');
    fresh.id = 'rows';
    rows.forEach(function (r) {
      var tr = document.createElement('tr');
      tr.appendChild(cell('rank', String(r.rang)));
      tr.appendChild(cell('startnr', String(r.startNr)));
      var who = document.createElement('td');
      who.className = 'who';
      var name = document.createElement('div');
      name.className = 'name';
      name.textContent = r.name;
      var sub = document.createElement('div');
      sub.className = 'sub';
      // The mixed list names each row's category, as the printed list does.
      var mixed = String(state.category) === ALL;
      sub.textContent = [r.hund, r.verein, mixed ? r.kategorie : '']
        .filter(function (s) { return s; }).join(' · ');
      who.appendChild(name);
      who.appendChild(sub);
      tr.appendChild(who);
      tr.appendChild(cell('club', r.verein));
      tr.appendChild(cell('dog', r.rasse ? r.hund + ' (' + r.rasse + ')' : r.hund));
      tr.appendChild(cell('category', r.kategorie));
      tr.appendChild(cell('value first', number.format(pointsLead ? r.punkte : r.zeit)));
      tr.appendChild(cell('value second', number.format(pointsLead ? r.zeit : r.punkte)));
      fresh.appendChild(tr);
    });
    body.parentNode.replaceChild(fresh, body);
    $('empty').hidden = rows.length > 0;
    if (state.beamer) showPage(fresh);
  }

  // The beamer shows as many rows as fit on the screen, page by page.
  function rowsPerPage(body) {
    var first = body.rows[0];
    if (!first) return 1;
    var free = window.innerHeight - body.getBoundingClientRect().top - 4;
    return Math.max(1, Math.floor(free / Math.max(first.offsetHeight, 1)));
  }

  function showPage(body) {
    var perPage = rowsPerPage(body);
    state.pages = Math.max(1, Math.ceil(body.rows.length / perPage));
    if (state.page >= state.pages) state.page = 0;
    var from = state.page * perPage;
    for (var i = body.rows.length - 1; i >= 0; i--) {
      if (i < from || i >= from + perPage) body.deleteRow(i);
    }
  }

  function showChanged(modified) {
    if (!modified) return;
    var when = new Date(modified);
    if (isNaN(when.getTime())) return;
    var today = new Date().toDateString() === when.toDateString();
    setText('changed', 'Letzte Änderung: ' + (today ? '' : day.format(when) + ' ') + clock.format(when));
  }

  function listUrl() {
    return '/api/ranklist?kind=' + encodeURIComponent(state.kind) +
      '&category=' + encodeURIComponent(state.category);
  }

  function refresh() {
    return load('/api/event', state.eventTag).then(function (event) {
      if (event) {
        state.event = event.data;
        state.eventTag = event.tag;
        showEvent();
      }
      var key = listUrl();
      var tag = key === state.listKey ? state.listTag : '';
      return load(key, tag).then(function (list) {
        if (list) {
          state.list = list.data;
          state.listTag = list.tag;
          state.listKey = key;
          showChanged(list.modified);
          showList();
        } else if (event && state.list) {
          showList();
        }
        setText('status', '');
      });
    }).catch(function (error) {
      setText('status', error.status ? error.message
        : 'Keine Verbindung zum Velunda-Computer – neuer Versuch in wenigen Sekunden.');
    });
  }

  function remember() {
    var query = new URLSearchParams();
    if (state.category !== ALL) query.set('kategorie', state.category);
    if (state.kind !== 'single') query.set('liste', state.kind);
    if (state.beamer) query.set('modus', 'beamer');
    var text = query.toString();
    window.history.replaceState(null, '', text ? '?' + text : window.location.pathname);
  }

  function nextSlide() {
    var categories = beamerCategories();
    if (state.page + 1 < state.pages) {
      state.page += 1;
      showList();
      return;
    }
    state.page = 0;
    state.slide = (categories.indexOf(String(state.category)) + 1) % categories.length;
    state.category = categories[state.slide];
    refresh();
  }

  function setBeamer(on) {
    state.beamer = on;
    document.body.classList.toggle('beamer', on);
    state.page = 0;
    if (on) {
      var categories = beamerCategories();
      if (categories.indexOf(String(state.category)) < 0) state.category = categories[0];
      if (document.documentElement.requestFullscreen && !document.fullscreenElement) {
        document.documentElement.requestFullscreen().catch(function () {});
      }
    }
    remember();
    if (state.list) showList();
    refresh();
  }

  function start() {
    $('category').addEventListener('change', function (e) {
      state.category = e.target.value;
      remember();
      refresh();
    });
    $('kind').addEventListener('change', function (e) {
      state.kind = e.target.value;
      remember();
      refresh();
    });
    $('beamer').addEventListener('click', function () { setBeamer(true); });
    document.addEventListener('keydown', function (e) {
      if (e.key === 'Escape' && state.beamer) setBeamer(false);
    });
    document.body.classList.toggle('beamer', state.beamer);
    refresh().then(function () {
      if (state.beamer) setBeamer(true);
    });
    window.setInterval(refresh, POLL_MS);
    window.setInterval(function () { if (state.beamer) nextSlide(); }, SLIDE_MS);
    window.addEventListener('resize', function () { if (state.list) showList(); });
  }

  start();
}());
