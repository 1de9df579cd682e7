// The remote panel's page: one card per amplifier, fed by the server's WebSocket. It shows what
// the amplifiers reported and what the server says is waiting for confirmation; it never shows
// a value only because someone asked for it.
'use strict';

(() => {
  const PROTOCOL = 1;
  const BANDS = [[1, '160 m'], [2, '80 m'], [3, '40 m'], [4, '30 m'], [5, '20 m'], [6, '17 m'],
    [7, '15 m'], [8, '12 m'], [9, '10 m']];
  const METERS = ['fwd', 'rfl', 'inp', 'ig', 'ip'];
  // Controls whose value the server watches until the amplifier confirms it.
  const WATCHED_TEXT = {
    power: (v) => (v ? 'mains on' : 'mains off'),
    operate: (v) => (v ? 'operate' : 'standby'),
    high: (v) => (v ? 'high power' : 'low power'),
    autoTune: (v) => (v ? 'automatic tuning on' : 'automatic tuning off'),
    band: (v) => bandName(v),
    segment: (v) => `segment ${v}`,
    tune: (v) => `tune ${v}`,
    load: (v) => `load ${v}`,
  };

  const view = {
    connected: false,
    you: null,
    control: {},
    scales: {},
    amplifiers: new Map(), // number -> state
    cards: new Map(), // number -> card elements
  };
  let socket = null;
  let nextId = 1;
  let retryMs = 1000;
  let toastTimer = 0;

  function bandName(band) {
    const found = BANDS.find(([n]) => n === band);
    return found ? found[1] : `band ${band}`;
  }

  // A small element builder: el('div.card', {text: 'x'}, child, ...).
  function el(selector, props, ...children) {
    const [tag, ...classes] = selector.split('.');
    const node = document.createElement(tag || 'div');
    if (classes.length) node.className = classes.join(' ');
    for (const [key, value] of Object.entries(props || {})) {
      if (key === 'text') node.textContent = value;
      else if (key === 'on') Object.entries(value).forEach(([e, f]) => node.addEventListener(e, f));
      else node.setAttribute(key, value);
    }
    children.forEach((c) => node.append(c));
    return node;
  }

  function setText(node, text) {
    if (node.textContent !== text) node.textContent = text;
  }

  function toast(text, bad) {
    const box = document.getElementById('toast');
    box.textContent = text;
    box.classList.toggle('bad', !!bad);
    box.hidden = false;
    clearTimeout(toastTimer);
    toastTimer = setTimeout(() => { box.hidden = true; }, 4000);
  }

  // --- Commands -------------------------------------------------------------------------

  function send(message) {
    if (!socket || socket.readyState !== WebSocket.OPEN) {
      toast('Not connected: the command was not sent', true);
      return;
    }
    socket.send(JSON.stringify({ id: nextId++, ...message }));
  }

  function command(number, control, value) {
    const message = { type: 'command', amplifier: number, control };
    if (value !== undefined) message.value = value;
    send(message);
  }

  function canOperate() {
    if (!view.connected || !view.you || view.you.role !== 'operate') return false;
    return !view.control.holder || view.control.holder === view.you.user;
  }

  // --- Cards ------------------------------------------------------------------------------

  function switchPair(number, control, onText, offText, title) {
    const on = el('button.seg', { type: 'button', text: onText, title: `${title}: ${onText}` });
    const off = el('button.seg', { type: 'button', text: offText, title: `${title}: ${offText}` });
    on.addEventListener('click', () => command(number, control, true));
    off.addEventListener('click', () => command(number, control, false));
    const note = el('span.note');
    const box = el('div.control', {}, el('span.caption', { text: title }),
      el('div.pair', {}, on, off), note);
    return { box, on, off, note, control };
  }

  function stepper(number, control, title) {
    const value = el('output.readout', { text: '--' });
    const down = el('button.step', { type: 'button', text: '−', title: `${title} down` });
    const up = el('button.step', { type: 'button', text: '+', title: `${title} up` });
    const nudge = (by) => {
      const amp = view.amplifiers.get(number);
      const pending = amp.pending && amp.pending[control];
      const from = pending ? pending.asked : amp[control];
      if (typeof from !== 'number') return;
      command(number, control, Math.max(0, Math.min(100, from + by)));
    };
    down.addEventListener('click', () => nudge(-1));
    up.addEventListener('click', () => nudge(1));
    const note = el('span.note');
    const box = el('div.control.wide', {}, el('span.caption', { text: title }),
      el('div.stepper', {}, down, value, up), note);
    return { box, value, down, up, note, control };
  }

  function chooser(number, control, title, options) {
    const select = el('select', { 'aria-label': title });
    select.append(el('option', { value: '', text: '--' }));
    options.forEach(([v, text]) => select.append(el('option', { value: String(v), text })));
    select.addEventListener('change', () => {
      if (select.value) command(number, control, Number(select.value));
    });
    const note = el('span.note');
    const box = el('div.control', {}, el('label.caption', { text: title }), select, note);
    return { box, select, note, control };
  }

  function meter(key) {
    const scale = view.scales[key] || { label: key, unit: '', max: 100, marks: [] };
    const fill = el('div.fill');
    const peak = el('div.peak');
    const track = el('div.track', {}, el('div.zone.yellow'), el('div.zone.red'), fill, peak);
    const place = (node, value) => {
      node.style.left = `${(100 * value) / scale.max}%`;
    };
    const yellow = track.children[0];
    const red = track.children[1];
    place(yellow, scale.yellow);
    yellow.style.right = `${100 - (100 * scale.red) / scale.max}%`;
    place(red, scale.red);
    const marks = el('div.marks');
    scale.marks.forEach(([value, text]) => {
      const mark = el('span', { text });
      place(mark, value);
      marks.append(mark);
    });
    const reading = el('output.reading', { text: '0' });
    const row = el('div.meter', { title: `${scale.label} (${scale.unit})` },
      el('span.mlabel', {}, el('b', { text: scale.label }), el('small', { text: scale.unit })),
      el('div.gauge', {}, track, marks), reading);
    return { row, fill, peak, reading, scale };
  }

  function createCard(number) {
    const parts = {};
    parts.title = el('h2');
    parts.link = el('span.badge');
    parts.state = el('span.state');
    parts.lights = ['operate', 'fault', 'warmup'].map(() => el('span.lamp'));
    parts.message = el('p.message');
    parts.power = switchPair(number, 'power', 'ON', 'OFF', 'Power');
    parts.operate = switchPair(number, 'operate', 'OPR', 'SBY', 'Mode');
    parts.high = switchPair(number, 'high', 'HI', 'LO', 'HV');
    parts.band = chooser(number, 'band', 'Band', BANDS);
    parts.segment = chooser(number, 'segment', 'Segment', [1, 2, 3, 4, 5].map((s) => [s, String(s)]));
    parts.freq = el('output.freq', { text: '--' });
    parts.tune = stepper(number, 'tune', 'Tune');
    parts.load = stepper(number, 'load', 'Load');
    parts.autoTune = switchPair(number, 'autoTune', 'AUTO', 'MAN', 'Tuning');
    parts.keys = [['default', 'DEFAULT', 'Tune and load back to this segment\'s defaults'],
      ['enter', 'ENTER', 'Store tune and load for this band segment']].map(([control, text, tip]) => {
      const b = el('button.key', { type: 'button', text, title: tip });
      b.addEventListener('click', () => command(number, control));
      return b;
    });
    parts.meters = Object.fromEntries(METERS.map((k) => [k, meter(k)]));
    parts.swr = el('output.swr', { text: '—' });
    parts.alarmText = el('span.alarm-text');
    parts.ack = el('button.ack', { type: 'button', text: 'Acknowledge', title: 'Acknowledge the alarm' });
    parts.ack.addEventListener('click', () => send({ type: 'acknowledge', amplifier: number }));
    parts.alarm = el('div.alarm', { role: 'alert', hidden: true }, parts.alarmText, parts.ack);

    const card = el('article.card', { 'aria-label': `Amplifier ${number}` },
      el('header.card-head', {}, parts.title, parts.link, parts.state),
      el('div.lights', {}, ...parts.lights),
      parts.alarm,
      parts.message,
      el('div.row.switches', {}, parts.power.box, parts.operate.box, parts.high.box),
      el('div.row.tuning', {}, parts.band.box, parts.segment.box,
        el('div.control.wide', {}, el('span.caption', { text: 'Frequency' }), parts.freq)),
      el('div.row.tuning', {}, parts.tune.box, parts.load.box, parts.autoTune.box,
        el('div.control.keys', {}, ...parts.keys)),
      el('section.meters', {},
        el('div.swr-box', {}, el('span.caption', { text: 'SWR' }), parts.swr),
        ...METERS.map((k) => parts.meters[k].row)));
    parts.card = card;
    return parts;
  }

  // --- Showing state ----------------------------------------------------------------------

  const LINK_TEXT = { up: 'LINK UP', silent: 'SILENT', down: 'NO LINK' };
  const STATE_TEXT = {
    unknown: 'state unknown', off: 'mains off', warmup: 'warming up', standby: 'standby',
    operate: 'OPERATE',
  };
  const LAMP_CLASS = {
    OPER: 'green', STBY: 'yellow', OK: 'green', FAULT: 'red', READY: 'green', WAIT: 'yellow',
  };

  function showPending(part, amp) {
    const pending = amp.pending && amp.pending[part.control];
    const box = part.box;
    box.classList.toggle('waiting', !!pending && pending.status === 'waiting');
    box.classList.toggle('unconfirmed', !!pending && pending.status === 'notConfirmed');
    let note = '';
    if (pending) {
      const what = WATCHED_TEXT[part.control](pending.asked);
      note = pending.status === 'waiting' ? `waiting: ${what}` : `${what} not confirmed`;
    }
    setText(part.note, note);
  }

  function showSwitch(part, amp, value) {
    part.on.classList.toggle('active', value === true);
    part.off.classList.toggle('active', value === false);
    part.on.setAttribute('aria-pressed', String(value === true));
    part.off.setAttribute('aria-pressed', String(value === false));
    showPending(part, amp);
  }

  // Values come in W and mA; a read-out is in the unit printed under its meter's name, as the
  // scale's captions are: 750 W on the kW meter reads 0.75.
  const PER_UNIT = { kW: 1000, A: 1000 };

  function readout(value, unit) {
    const per = PER_UNIT[unit] || 1;
    return per === 1 ? String(Math.round(value)) : (value / per).toFixed(2);
  }

  function showMeter(m, value, peak) {
    const pct = (v) => `${Math.max(0, Math.min(100, (100 * v) / m.scale.max))}%`;
    m.fill.style.width = pct(value);
    m.fill.classList.toggle('hot', value >= m.scale.red);
    m.fill.classList.toggle('warm', value >= m.scale.yellow && value < m.scale.red);
    setText(m.reading, readout(value, m.scale.unit));
    if (peak !== undefined) {
      m.peak.style.left = pct(peak);
      m.peak.hidden = peak <= 0;
    } else {
      m.peak.hidden = true;
    }
  }

  function render(number) {
    const amp = view.amplifiers.get(number);
    let parts = view.cards.get(number);
    if (!parts) {
      parts = createCard(number);
      view.cards.set(number, parts);
      document.getElementById('amplifiers').append(parts.card);
    }
    setText(parts.title, `${number} · ${amp.name || 'Amplifier'}`);
    setText(parts.link, LINK_TEXT[amp.link] || amp.link);
    parts.link.className = `badge link-${amp.link}`;
    setText(parts.state, STATE_TEXT[amp.state] || amp.state);
    parts.state.className = `state state-${amp.state}`;
    const lights = amp.lights || {};
    ['operate', 'fault', 'warmup'].forEach((key, i) => {
      const text = lights[key] || 'OFF';
      setText(parts.lights[i], text);
      parts.lights[i].className = `lamp ${LAMP_CLASS[text] || 'off'}`;
    });
    const fault = amp.fault ? `FAULT ${amp.fault}: ${amp.faultText}` : '';
    setText(parts.message, fault || amp.message || ' ');
    parts.message.classList.toggle('fault', !!amp.fault);
    parts.message.classList.toggle('problem-link', amp.link !== 'up');

    const on = amp.state === 'warmup' || amp.state === 'standby' || amp.state === 'operate';
    const known = amp.state !== 'unknown';
    showSwitch(parts.power, amp, known ? on : undefined);
    showSwitch(parts.operate, amp, on ? amp.state === 'operate' : undefined);
    showSwitch(parts.high, amp, amp.high === null ? undefined : amp.high);
    showSwitch(parts.autoTune, amp, amp.autoTune === null ? undefined : amp.autoTune);
    for (const key of ['band', 'segment']) {
      const part = parts[key];
      if (document.activeElement !== part.select) part.select.value = amp[key] === null ? '' : String(amp[key]);
      showPending(part, amp);
    }
    setText(parts.freq, amp.freq ? `${amp.freq.toLocaleString('en-US').replace(/,/g, ' ')} kHz` : '--');
    for (const key of ['tune', 'load']) {
      setText(parts[key].value, amp[key] === null ? '--' : String(amp[key]));
      showPending(parts[key], amp);
    }
    const m = amp.meters || {};
    METERS.forEach((k) => showMeter(parts.meters[k], m[k] || 0, k === 'fwd' ? m.peak : undefined));
    setText(parts.swr, m.swr || '—');
    const alarm = amp.alarm || { level: 'none', text: '' };
    const level = alarm.level === 'trip' || alarm.level === 'warning' ? alarm.level : 'none';
    parts.alarm.hidden = level === 'none';
    setText(parts.alarmText, level === 'none' ? '' : `${level.toUpperCase()}: ${alarm.text}`);
    parts.card.dataset.alarm = level;
    enableControls(parts, amp);
  }

  function enableControls(parts, amp) {
    const allowed = canOperate() && amp.link !== 'down';
    parts.card.querySelectorAll('button, select').forEach((b) => { b.disabled = !allowed; });
    parts.card.classList.toggle('locked', !allowed);
    // An alarm is acknowledged even when the amplifier cannot be reached.
    parts.ack.disabled = !canOperate() || !amp.alarm || amp.alarm.level === 'none';
  }

  function showControl() {
    const c = view.control;
    const you = view.you || {};
    const text = document.getElementById('control-text');
    const take = document.getElementById('take');
    const banner = document.getElementById('banner');
    let line;
    let kind;
    if (you.role !== 'operate') {
      line = c.holder ? `View only. Controlled by ${c.holder} since ${clock(c.since)}`
        : 'View only: you can watch, not operate';
      kind = 'viewer';
    } else if (!c.holder) {
      line = 'Nobody is in control: your first command takes it';
      kind = 'free';
    } else if (c.holder === you.user) {
      line = `You are in control since ${clock(c.since)}`;
      kind = 'mine';
    } else {
      line = `Controlled by ${c.holder} since ${clock(c.since)}`;
      kind = 'theirs';
    }
    setText(text, line);
    banner.dataset.kind = kind;
    take.hidden = kind !== 'theirs';
    document.getElementById('all-standby').hidden = you.role !== 'operate';
    document.getElementById('local').hidden = !c.local;
    view.cards.forEach((parts, number) => enableControls(parts, view.amplifiers.get(number)));
  }

  function clock(ms) {
    if (!ms) return '';
    const d = new Date(ms);
    return `${String(d.getHours()).padStart(2, '0')}:${String(d.getMinutes()).padStart(2, '0')}`;
  }

  function setConnection(text, ok) {
    const node = document.getElementById('connection');
    setText(node, text);
    node.classList.toggle('ok', !!ok);
  }

  // --- The feed ---------------------------------------------------------------------------

  function replaceAll(message) {
    view.control = message.control || {};
    const numbers = new Set();
    (message.amplifiers || []).forEach((a) => {
      numbers.add(a.number);
      view.amplifiers.set(a.number, a);
    });
    for (const [number, parts] of view.cards) {
      if (!numbers.has(number)) {
        parts.card.remove();
        view.cards.delete(number);
        view.amplifiers.delete(number);
      }
    }
    [...numbers].sort((a, b) => a - b).forEach(render);
    document.getElementById('empty').hidden = numbers.size > 0;
    showControl();
  }

  function merge(message) {
    (message.amplifiers || []).forEach((change) => {
      const amp = view.amplifiers.get(change.number);
      if (!amp) return;
      for (const [key, value] of Object.entries(change)) {
        if (key === 'meters') amp.meters = { ...amp.meters, ...value };
        else amp[key] = value;
      }
      render(change.number);
    });
    if (message.control) {
      view.control = message.control;
      showControl();
    }
  }

  function receive(event) {
    let message;
    try {
      message = JSON.parse(event.data);
    } catch (e) {
      return;
    }
    switch (message.type) {
      case 'hello':
        if (message.protocol !== PROTOCOL) {
          setConnection(`This page speaks protocol ${PROTOCOL}, the server ${message.protocol}: reload`);
          return;
        }
        view.you = message.you;
        view.connected = true;
        view.scales = message.meters || {};
        view.cards.forEach((parts) => parts.card.remove());
        view.cards.clear();
        setText(document.getElementById('who'), `${message.you.user} (${message.you.role})`);
        replaceAll(message);
        break;
      case 'snapshot':
        replaceAll(message);
        break;
      case 'update':
        merge(message);
        break;
      case 'reply':
        toast(message.ok ? message.text : `Refused: ${message.reason}`, !message.ok);
        break;
      case 'notice':
        toast(message.text, true);
        break;
      case 'bye':
        setConnection(message.reason);
        if (message.login) {
          socket.onclose = null;
          setTimeout(() => { window.location.assign('/login'); }, 1500);
        }
        break;
      default:
        break;
    }
  }

  function connect() {
    const scheme = window.location.protocol === 'https:' ? 'wss://' : 'ws://';
    socket = new WebSocket(`${scheme}${window.location.host}/ws`);
    socket.onopen = () => {
      retryMs = 1000;
      setConnection('Connected', true);
    };
    socket.onmessage = receive;
    socket.onclose = (event) => {
      if (event.code === 1008) {
        // Refused at the door: the session is over (or was never there).
        window.location.assign('/login');
        return;
      }
      setConnection('Connection lost: trying again…');
      view.connected = false; // nothing can be sent meanwhile
      showControl();
      setTimeout(connect, retryMs);
      retryMs = Math.min(retryMs * 2, 15000);
    };
  }

  document.getElementById('take').addEventListener('click', () => send({ type: 'take' }));
  document.getElementById('all-standby').addEventListener('click', () => send({ type: 'allStandby' }));
  connect();
})();
