# Prints, per card of the file, its phones, e-mails, addresses and URLs as python3-vobject reads
# them, each with the X-ABLabel of its group ("" without one), as one JSON line per card.
import json, sys
import vobject
text = open(sys.argv[1], encoding='utf-8').read()
for card in vobject.readComponents(text, allowQP=True):
    labels = {}
    for c in card.getChildren():
        if c.name == 'X-ABLABEL' and c.group:
            labels[c.group.lower()] = c.value
    out = {}
    for key in ('TEL', 'EMAIL', 'ADR', 'URL'):
        out[key] = []
        for c in card.getChildren():
            if c.name == key:
                v = c.value
                if key == 'ADR':
                    v = [x for x in [v.box, v.extended, v.street, v.city, v.region, v.code, v.country] if x]
                out[key].append([v, labels.get((c.group or '').lower(), '')])
    print(json.dumps(out, ensure_ascii=False))
