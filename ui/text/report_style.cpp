#include "ui/text/report_style.h"

const char* const kReportStyle = R"(
:root { color-scheme: light; --line: #c4c4c4; --muted: #555; --link: #0b57a4; --mark: #ffe98a; }
* { box-sizing: border-box; }
body { margin: 0; color: #111; background: #fff;
  font: 15px/1.45 system-ui, "Segoe UI", Roboto, "Liberation Sans", Arial, sans-serif; }
a { color: var(--link); }
.mono, dl.fields dd, td, ul.lines, .where code {
  font-family: ui-monospace, "DejaVu Sans Mono", "Liberation Mono", Menlo, Consolas, monospace; font-size: .92em; }
header.report { padding: 1rem 1.25rem; border-bottom: 1px solid var(--line); }
header.report h1 { font-size: 1.4rem; margin: 0 0 .5rem; overflow-wrap: anywhere; }
.facts { display: grid; grid-template-columns: max-content minmax(0, 1fr); gap: .1rem 1rem; margin: 0; }
.facts dt { font-weight: 600; }
.facts dd { margin: 0; white-space: pre-wrap; overflow-wrap: anywhere; }
.warnings { margin: 0 0 .75rem; padding: .5rem 1rem .5rem 2rem; border: 1px solid #b00020; background: #fff0f0; }
.counts { margin: .5rem 0 0; color: var(--muted); }
.page { display: grid; grid-template-columns: minmax(16rem, 26rem) minmax(0, 1fr); }
nav.tree { position: sticky; top: 0; align-self: start; max-height: 100vh; overflow: auto;
  padding: .75rem 1rem; border-right: 1px solid var(--line); background: #f6f6f6; }
nav.tree h2, main.panels > h2 { font-size: 1.05rem; margin: 0 0 .5rem; }
nav.tree ul { list-style: none; margin: 0; padding-left: 1.1rem; }
nav.tree > ul { padding-left: 0; }
nav.tree li { white-space: nowrap; }
nav.tree li.leaf { padding-left: 1.1em; }
nav.tree summary { cursor: pointer; }
nav.tree a { white-space: pre; text-decoration: none; }
nav.tree a:hover, nav.tree a:focus { text-decoration: underline; }
a:target, section.panel:target > h2 { background: var(--mark); }
main.panels { padding: .75rem 1.25rem 2rem; min-width: 0; }
/* A big machine has tens of thousands of panels: only those on screen are laid out. */
section.panel { content-visibility: auto; contain-intrinsic-size: auto 30rem;
  border-top: 1px solid var(--line); padding: 1rem 0; }
section.panel > h2 { font-size: 1.15rem; margin: 0 0 .25rem; overflow-wrap: anywhere; }
.name { white-space: pre-wrap; }
.kind { font-weight: normal; color: var(--muted); font-size: .85em; margin-left: .5em; }
.where { margin: 0 0 .75rem; color: var(--muted); overflow-wrap: anywhere; }
.where code { color: #111; white-space: pre-wrap; }
dl.fields { display: grid; grid-template-columns: max-content minmax(0, 1fr); gap: .1rem 1rem; margin: .5rem 0; }
dl.fields dt { color: var(--muted); }
dl.fields dd { margin: 0; white-space: pre-wrap; overflow-wrap: anywhere; }
dl.fields dd.check { font-family: inherit; font-size: inherit; color: var(--muted); }
dl.fields dd.check.on { color: #111; }
section.frame { margin: .75rem 0; padding: .25rem .75rem; border: 1px solid var(--line); border-radius: 4px; }
section.frame > h3 { font-size: 1rem; margin: .25rem 0; }
.box h4 { font-size: .95rem; margin: .75rem 0 .25rem; }
ul.lines { margin: 0; padding-left: 1.25rem; white-space: pre-wrap; overflow-wrap: anywhere; }
.list { overflow-x: auto; margin: .75rem 0; }
table { border-collapse: collapse; }
caption { text-align: left; font-weight: 600; padding: .25rem 0; }
th, td { border: 1px solid var(--line); padding: .15rem .5rem; text-align: left; vertical-align: top; white-space: pre; }
th { background: #ececec; font-weight: 600; }
.none { color: var(--muted); font-style: italic; }
figure.chart { margin: .75rem 0; }
figure.chart svg { display: block; max-width: 100%; height: auto; }
@media (max-width: 48em) {
  body { font-size: 16px; }
  .page { display: block; }
  nav.tree { position: static; max-height: none; overflow: visible; border-right: 0; border-bottom: 1px solid var(--line); }
  nav.tree li { white-space: normal; }
  nav.tree a { white-space: pre-wrap; overflow-wrap: anywhere; }
  nav.tree ul ul { padding-left: .8rem; }
  main.panels { padding: .5rem .75rem 2rem; }
  dl.fields, .facts { grid-template-columns: minmax(0, 1fr); }
  dl.fields dd, .facts dd { margin-bottom: .35rem; }
}
@media print {
  @page { margin: 15mm; }
  body { font-size: 9.5pt; color: #000; }
  .page { display: block; }
  nav.tree { position: static; max-height: none; overflow: visible; border: 0; background: none; padding: 0; break-after: page; }
  nav.tree li { white-space: normal; }
  nav.tree a { white-space: pre-wrap; }
  a { color: inherit; text-decoration: none; }
  a:target, section.panel:target > h2 { background: none; }
  .back, .also { display: none; }
  main.panels { padding: 0; }
  section.panel { content-visibility: visible; }
  .list { overflow: visible; }
  th, td { white-space: pre-wrap; }
  th { background: none; }
  h2, h3, h4, caption, dt { break-after: avoid; }
  tr, dd, li, figure, section.frame { break-inside: avoid; }
}
)";
