// Autosave: the script and the playhead in the browser's storage (IndexedDB, which holds scripts
// of any size the program takes), written after every change, read when the studio opens.
const DATABASE = 'voxelshow-studio';
const STORE = 'autosave';
const KEY = 'current';

function request(r) {
  return new Promise((resolve, reject) => {
    r.onsuccess = () => resolve(r.result);
    r.onerror = () => reject(r.error);
  });
}

export class Storage {
  constructor() {
    this.database = null;
    this.pending = null;  // the newest record not yet written
    this.writing = null;  // the write under way
    this.failure = '';
  }

  async open() {
    const opening = indexedDB.open(DATABASE, 1);
    opening.onupgradeneeded = () => opening.result.createObjectStore(STORE);
    this.database = await request(opening);
  }

  // The saved { text, pass, name } or null.
  async read() {
    const store = this.database.transaction(STORE, 'readonly').objectStore(STORE);
    return (await request(store.get(KEY))) ?? null;
  }

  // Saves `record`; writes follow one another, a newer record taking the place of one still waiting.
  // Resolves when it (or a newer one) is stored; a failure is kept in `failure` and rejects.
  save(record) {
    this.pending = record;
    if (!this.writing) this.writing = this.flush();
    return this.writing;
  }

  async flush() {
    try {
      while (this.pending) {
        const record = this.pending;
        this.pending = null;
        const transaction = this.database.transaction(STORE, 'readwrite');
        transaction.objectStore(STORE).put(record, KEY);
        await new Promise((resolve, reject) => {
          transaction.oncomplete = resolve;
          transaction.onerror = () => reject(transaction.error);
          transaction.onabort = () => reject(transaction.error ?? new Error('the write was aborted'));
        });
      }
      this.failure = '';
    } catch (error) {
      this.failure = `the browser's storage: cannot save: ${error.message}`;
      throw new Error(this.failure);
    } finally {
      this.writing = null;
    }
  }
}
