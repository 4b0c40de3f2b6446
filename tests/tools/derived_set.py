"""A set derived from the clean files of a labelled set, in that set's
layout (manifest, wave files with their text, pitch and syllable labels),
so that the labelled set's harness runs on it as on the set itself. The
timing of each recording is kept, so the clean file's labels stay true."""
import os
import shutil
import sys


class DerivedSet:
    def __init__(self, set_dir, out_dir):
        sys.path.insert(0, os.path.join(set_dir, 'tools'))
        import tvwav
        self.tvwav, self.set_dir, self.out_dir = tvwav, set_dir, out_dir
        os.makedirs(out_dir, exist_ok=True)
        self.manifest = tvwav.read_manifest(set_dir)
        self.clean = [r for r in self.manifest if r['condition'] == 'clean']
        self.rows = []

    def read(self, row):
        """The clean recording's samples, as integers in float."""
        path = os.path.join(self.set_dir, row['file'])
        return self.tvwav.read_phrase_wav(path)['samples'].astype(float)

    def save(self, row, condition, samples, rate=22050):
        """Writes the clean row's recording under condition, with its labels."""
        import numpy as np
        fid = row['base'] + '_' + condition
        y = np.clip(np.round(samples), -32768, 32767).astype(np.int16)
        self.tvwav.write_phrase_wav(os.path.join(self.out_dir, fid + '.wav'), y, rate, row['text'])
        shutil.copy(os.path.join(self.set_dir, row['f0_file']),
                    os.path.join(self.out_dir, fid + '.f0'))
        labelled = row['syl_file'] != '-'
        if labelled:
            shutil.copy(os.path.join(self.set_dir, row['syl_file']),
                        os.path.join(self.out_dir, fid + '.syl.tsv'))
        derived = dict(row)
        derived.update(id=fid, file=fid + '.wav', condition=condition, f0_file=fid + '.f0',
                       syl_file=fid + '.syl.tsv' if labelled else '-', tier='hard')
        self.rows.append(derived)

    def finish(self):
        header = list(self.manifest[0].keys())
        with open(os.path.join(self.out_dir, 'manifest.tsv'), 'w') as f:
            f.write('\t'.join(header) + '\n')
            for row in self.rows:
                f.write('\t'.join(row[h] for h in header) + '\n')
        print('%d files in %s' % (len(self.rows), self.out_dir))
