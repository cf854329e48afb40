#!/usr/bin/env python3
"""The HTML report of each machine, rendered in headless Chromium.

For every machine file given: quelbrin-cli writes the report; tidy finds no
error or warning in it; in the browser, the tree holds exactly the entries of
`quelbrin-cli tree` (same names, same depths, in order), every entry links to a
panel of its node and every panel back to the tree, every chart is drawn,
every link stays inside the page, nothing is fetched and no policy is broken,
no markup from a name became an element, and on a phone the page does not
scroll sideways. Screenshots (wide and narrow, at the top and at a chart) go
to the screenshot folder. Then the check itself runs on a copy of a report with
faults planted in it and must name each one.

Exits 0 when all is well, 1 on a failure, 77 (skipped) where Chromium or
tidy is missing or Chromium cannot start.

  browser_check.py --cli QUELBRIN_CLI --screenshots DIR MACHINE.json[:all] ...
"""

import argparse
import base64
import fcntl
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77

# What the page reports about itself, computed in the browser after layout.
INSPECT = r"""
(() => {
  const problems = [];
  const byId = new Map();
  for (const e of document.querySelectorAll('[id]')) {
    if (byId.has(e.id)) problems.push('id used twice: ' + e.id);
    byId.set(e.id, e);
  }
  const rendered = e => { const r = e.getBoundingClientRect(); return r.width > 0 && r.height > 0; };
  const nav = document.querySelector('nav.tree');
  const entries = [];
  for (const a of nav ? nav.querySelectorAll('a') : []) {
    let depth = -1;
    for (let p = a.parentElement; p && p !== nav; p = p.parentElement) if (p.tagName === 'UL') depth++;
    const target = byId.get(a.getAttribute('href').slice(1));
    const panel = target && target.matches('section.panel') ? target : null;
    if (!panel) problems.push('tree entry ' + a.id + ' links to no panel');
    else if (panel.querySelector('h2 .name').textContent !== a.textContent)
      problems.push('tree entry ' + a.id + ' links to the panel of ' + panel.querySelector('h2 .name').textContent);
    entries.push([depth, a.textContent]);
  }
  const panels = document.querySelectorAll('main section.panel');
  for (const panel of panels) {
    if (!rendered(panel)) problems.push('panel ' + panel.id + ' is not drawn');
    if (!panel.querySelector('dl.fields, table, ul.lines, figure.chart'))
      problems.push('panel ' + panel.id + ' shows nothing');
    const back = panel.querySelector('a.back');
    const entry = back && byId.get(back.getAttribute('href').slice(1));
    const inTree = nav && [...nav.querySelectorAll('a')].some(a => a.getAttribute('href') === '#' + panel.id);
    if (inTree && !(entry && nav.contains(entry) && entry.getAttribute('href') === '#' + panel.id))
      problems.push('panel ' + panel.id + ' does not link back to its tree entry');
  }
  let charts = 0;
  for (const svg of document.querySelectorAll('figure.chart svg')) {
    charts++;
    const shapes = [...svg.querySelectorAll('path, ellipse')].filter(s => { const b = s.getBBox(); return b.width > 0 && b.height > 0; });
    if (!(svg instanceof SVGSVGElement) || !rendered(svg) || shapes.length === 0 || !svg.querySelector('text'))
      problems.push('chart in ' + svg.closest('section').id + ' is not drawn');
  }
  for (const a of document.querySelectorAll('a[href]')) {
    const href = a.getAttribute('href');
    if (!href.startsWith('#') || !byId.has(href.slice(1))) problems.push('link leads out of the page or nowhere: ' + href);
  }
  for (const e of document.querySelectorAll('script, img, iframe, object, embed, link, form, input, base, video, audio, source'))
    problems.push('element that loads or runs something: <' + e.tagName.toLowerCase() + '>');
  for (const e of document.querySelectorAll('*'))
    for (const at of e.attributes)
      if (/^(src|srcset|action|data|poster|xlink:href)$/.test(at.name) || /^on/.test(at.name) || /url\(/.test(at.value))
        problems.push('attribute that loads or runs something: ' + at.name + '=' + at.value);
  const raw = document.body.textContent.match(/[\u0000-\u0008\u000b-\u001f\u007f-\u009f]/);
  if (raw) problems.push('raw control character U+' + raw[0].charCodeAt(0).toString(16) + ' in the text');
  return JSON.stringify({problems, entries, panels: panels.length, charts,
                         warnings: document.querySelectorAll('.warnings li').length,
                         sideways: document.documentElement.scrollWidth - window.innerWidth,
                         // The panel of the chart with the most wedges, for the screenshots.
                         chartPanel: [...document.querySelectorAll('figure.chart')].reduce(
                           (best, f) => (!best || f.querySelectorAll('path').length > best.querySelectorAll('path').length) ? f : best,
                           null)?.closest('section').id || ''});
})()
"""


class Browser:
    """Chromium driven through its DevTools protocol over a pipe."""

    def __init__(self, exe, profile):
        commands_r, commands_w = os.pipe()
        answers_r, answers_w = os.pipe()
        # Out of the way of fds 3 and 4, where Chromium looks for its pipe.
        child_in = fcntl.fcntl(commands_r, fcntl.F_DUPFD_CLOEXEC, 64)
        child_out = fcntl.fcntl(answers_w, fcntl.F_DUPFD_CLOEXEC, 64)
        for fd in (commands_r, answers_w):
            os.close(fd)

        def pipe_fds():
            os.dup2(child_in, 3)
            os.dup2(child_out, 4)

        args = [exe, '--headless', '--remote-debugging-pipe', '--user-data-dir=' + profile,
                '--no-first-run', '--no-default-browser-check', '--disable-gpu', '--hide-scrollbars',
                '--disable-extensions', '--disable-background-networking', '--disable-sync',
                '--disable-component-update', '--disable-domain-reliability', '--metrics-recording-only',
                # Nothing leaves the machine even if the page asked for it.
                '--proxy-server=127.0.0.1:9', '--host-resolver-rules=MAP * ~NOTFOUND']
        if os.geteuid() == 0:
            args.append('--no-sandbox')  # Chromium refuses to run as root with its sandbox
        self.proc = subprocess.Popen(args, pass_fds=(3, 4), preexec_fn=pipe_fds,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        os.close(child_in)
        os.close(child_out)
        self.out = os.fdopen(commands_w, 'wb')
        self.inp = os.fdopen(answers_r, 'rb')
        self.buffer = b''
        self.next_id = 0
        self.events = []
        self.session = None

    def _read(self):
        while b'\0' not in self.buffer:
            chunk = self.inp.read1(1 << 20)
            if not chunk:
                raise RuntimeError('Chromium ended: ' + self.proc.stderr.read().decode(errors='replace')[-2000:])
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b'\0', 1)
        return json.loads(message)

    def call(self, method, params=None, session=True):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params or {}}
        if session and self.session:
            message['sessionId'] = self.session
        try:
            self.out.write(json.dumps(message).encode() + b'\0')
            self.out.flush()
        except OSError:
            self.proc.wait()
            raise RuntimeError('Chromium ended (%s): %s' % (
                self.proc.returncode, self.proc.stderr.read().decode(errors='replace')[-2000:]))
        while True:
            answer = self._read()
            if answer.get('id') == self.next_id:
                if 'error' in answer:
                    raise RuntimeError(method + ': ' + json.dumps(answer['error']))
                return answer['result']
            self.events.append(answer)

    def wait_for(self, method):
        while True:
            for k, e in enumerate(self.events):
                if e.get('method') == method:
                    del self.events[k]
                    return e
            self.events.append(self._read())

    def open_page(self):
        target = self.call('Target.createTarget', {'url': 'about:blank'}, session=False)['targetId']
        self.session = self.call('Target.attachToTarget', {'targetId': target, 'flatten': True},
                                 session=False)['sessionId']
        for domain in ('Page', 'Network', 'Log', 'Runtime'):
            self.call(domain + '.enable')

    def view(self, width, height, phone=False, media=''):
        self.call('Emulation.setDeviceMetricsOverride',
                  {'width': width, 'height': height, 'deviceScaleFactor': 2 if phone else 1, 'mobile': phone})
        self.call('Emulation.setEmulatedMedia', {'media': media})

    def load(self, url):
        self.events.clear()
        self.call('Page.navigate', {'url': url})
        self.wait_for('Page.loadEventFired')

    def show(self, fragment):
        """Goes to an id in the loaded page, as following a link does, then
        scrolls its chart into sight."""
        self.evaluate('location.hash = %s; document.getElementById(%s)?.querySelector("figure.chart")'
                      '?.scrollIntoView({block: "end"})' % (json.dumps(fragment), json.dumps(fragment)))

    def evaluate(self, expression):
        result = self.call('Runtime.evaluate', {'expression': expression, 'returnByValue': True})
        if 'exceptionDetails' in result:
            raise RuntimeError('script failed: ' + json.dumps(result['exceptionDetails'])[:2000])
        return result['result'].get('value')

    def screenshot(self, path):
        data = self.call('Page.captureScreenshot', {'format': 'png'})['data']
        with open(path, 'wb') as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            self.call('Browser.close', session=False)
        except (RuntimeError, OSError):
            pass
        self.proc.wait()


def escaped(name):
    """A name as the report shows it: control characters and noncharacters spelt out."""
    out = ''
    for c in name:
        o = ord(c)
        if o < 0x20 or 0x7f <= o < 0xa0:
            out += '\\x%02x' % o
        elif 0xfdd0 <= o <= 0xfdef or (o & 0xfffe) == 0xfffe:
            out += '\\u%04X' % o
        else:
            out += c
    return out


def terminal_tree(cli, machine, everything):
    args = [cli, '--machine', machine] + (['--all-mount-points'] if everything else []) + ['tree']
    text = subprocess.run(args, capture_output=True).stdout.decode('utf-8')
    entries = []
    for line in text.split('\n')[:-1]:
        name = line.lstrip(' ')
        entries.append([(len(line) - len(name)) // 2, escaped(name)])
    return entries


def inspect_page(browser, url):
    """The page's problems and facts, with what it fetched and the messages it logged."""
    browser.view(1280, 900)
    browser.load(url)
    facts = json.loads(browser.evaluate(INSPECT))
    for e in browser.events:
        if e.get('method') == 'Network.requestWillBeSent':
            fetched = e['params']['request']['url']
            if fetched.split('#')[0] != url.split('#')[0]:
                facts['problems'].append('fetched ' + fetched)
        elif e.get('method') == 'Log.entryAdded' and e['params']['entry']['level'] in ('error', 'warning'):
            facts['problems'].append('logged: ' + e['params']['entry']['text'][:300])
    return facts


def tidy_problems(path):
    run = subprocess.run(['tidy', '-q', '-e', '--show-warnings', 'yes', '--gnu-emacs', 'yes', path],
                         capture_output=True)
    text = run.stderr.decode(errors='replace').strip()
    return [text] if run.returncode != 0 or text else []


def check_machine(browser, cli, machine, everything, shots, env):
    name = os.path.splitext(os.path.basename(machine))[0] + ('-all' if everything else '')
    page = os.path.join(shots, 'report-' + name + '.html')
    args = [cli, '--machine', machine] + (['--all-mount-points'] if everything else []) + ['report', '-o', page]
    run = subprocess.run(args, capture_output=True, env=env)
    tree_run = subprocess.run(args[:-3] + ['tree'], capture_output=True)
    failures = []
    if run.returncode != tree_run.returncode or not os.path.isfile(page):
        return ['report ended with %d (tree: %d): %s' % (run.returncode, tree_run.returncode,
                                                         run.stderr.decode(errors='replace'))]
    failures += ['tidy: ' + p for p in tidy_problems(page)]
    url = 'file://' + os.path.abspath(page)
    facts = inspect_page(browser, url)
    failures += facts['problems']
    expected = terminal_tree(cli, machine, everything)
    if facts['entries'] != expected:
        diff = next((k for k, (a, b) in enumerate(zip(facts['entries'], expected)) if a != b),
                    min(len(facts['entries']), len(expected)))
        failures.append('tree differs from quelbrin-cli tree at entry %d of %d/%d: %r against %r' % (
            diff, len(facts['entries']), len(expected), facts['entries'][diff:diff + 1], expected[diff:diff + 1]))
    if facts['charts'] == 0:
        failures.append('no chart in the page')
    if (facts['warnings'] > 0) != (run.returncode != 0):
        failures.append('the page shows %d warnings, the program ended with %d' % (facts['warnings'], run.returncode))
    browser.screenshot(os.path.join(shots, 'report-' + name + '-wide.png'))
    chart = facts['chartPanel']
    browser.show(chart)
    browser.screenshot(os.path.join(shots, 'report-' + name + '-wide-chart.png'))
    browser.view(390, 844, phone=True)
    browser.load(url)
    sideways = browser.evaluate('document.documentElement.scrollWidth - window.innerWidth')
    if sideways > 0:
        failures.append('on a phone the page scrolls %d pixels sideways' % sideways)
    browser.screenshot(os.path.join(shots, 'report-' + name + '-phone.png'))
    browser.show(chart)
    browser.screenshot(os.path.join(shots, 'report-' + name + '-phone-chart.png'))
    browser.view(794, 1123, media='print')
    browser.load(url)
    browser.show(chart)
    browser.screenshot(os.path.join(shots, 'report-' + name + '-print-chart.png'))
    print('%s: %d entries, %d panels, %d charts, %s' % (
        name, len(facts['entries']), facts['panels'], facts['charts'],
        'FAILED' if failures else 'ok'))
    return ['%s: %s' % (name, f) for f in failures]


# Faults planted in a copy of a good report, each with what the check must say.
PLANTED = [
    (lambda html: html.replace('</main>', '<p><img src="http://192.0.2.1/x.png" alt=""></p></main>', 1),
     'element that loads or runs something: <img>'),
    (lambda html: re.sub(r'<section class="panel" id="([^"]*)"', r'<section class="panel" id="\1-gone"', html, 1),
     'links to no panel'),
    (lambda html: re.sub(r'(<figure class="chart">\n<svg[^>]*>).*?</svg>', r'\1</svg>', html, 1, re.S),
     'is not drawn'),
    (lambda html: html.replace('<a class="back" href="#tree-', '<a class="back" href="#tree-9', 1),
     'does not link back to its tree entry'),
    (lambda html: html.replace('<h1>', '<h1>\x07', 1),
     'raw control character U+7'),
]


def check_the_check(browser, page, work):
    html = open(page, encoding='utf-8').read()
    failures = []
    for plant, expected in PLANTED:
        planted = os.path.join(work, 'planted.html')
        with open(planted, 'w', encoding='utf-8') as f:
            f.write(plant(html))
        problems = inspect_page(browser, 'file://' + planted)['problems']
        if not any(expected in p for p in problems):
            failures.append('the check misses a planted fault (%s); it said: %s' % (expected, problems[:3]))
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--cli', required=True)
    parser.add_argument('--screenshots', required=True)
    parser.add_argument('machines', nargs='+', help='machine files; FILE:all adds --all-mount-points')
    options = parser.parse_args()
    chromium = shutil.which('chromium') or shutil.which('chromium-browser')
    if not chromium:
        print('SKIPPED: no chromium on this machine (the Debian package chromium)')
        return SKIP
    if not shutil.which('tidy'):
        print('SKIPPED: no tidy on this machine (the Debian package tidy)')
        return SKIP
    os.makedirs(options.screenshots, exist_ok=True)
    env = dict(os.environ, SOURCE_DATE_EPOCH='0')
    work = tempfile.mkdtemp(prefix='quelbrin-report.')
    browser = None
    try:
        try:
            browser = Browser(chromium, os.path.join(work, 'profile'))
            browser.open_page()
        except (RuntimeError, OSError) as e:
            print('SKIPPED: Chromium cannot start here: %s' % str(e)[-1500:])
            return SKIP
        failures = []
        first_page = None
        for given in options.machines:
            machine, _, mode = given.partition(':')
            failures += check_machine(browser, options.cli, machine, mode == 'all', options.screenshots, env)
            if first_page is None:
                name = os.path.splitext(os.path.basename(machine))[0] + ('-all' if mode == 'all' else '')
                first_page = os.path.join(options.screenshots, 'report-' + name + '.html')
        failures += check_the_check(browser, first_page, work)
        for f in failures:
            print('FAIL: ' + f)
        return 1 if failures else 0
    finally:
        if browser:
            browser.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
