/* A small ALSA control plugin for the mixer tests: a card with three capture lines ("Mic",
 * "Line", "CD"), an enumerated "Capture Source" selector over them and a stereo capture volume
 * per line (0..65535, except "CD": 0..100, to exercise scaling). The values live in this
 * process, so every handle opened on it sees the same mixer; like a card's driver, it reports
 * every change to every open handle as value events. */

#include <alsa/asoundlib.h>
#include <alsa/control_external.h>

#include <stdlib.h>
#include <string.h>
#include <sys/eventfd.h>
#include <unistd.h>

enum { LINES = 3, ELEMS = LINES + 1 };

static const char* const kItems[LINES] = {"Mic", "Line", "CD"};
static const char* const kNames[ELEMS] = {"Capture Source", "Mic Capture Volume", "Line Capture Volume",
                                          "CD Capture Volume"};
static const long kMax[LINES] = {65535, 65535, 100};

static unsigned int gSource = 0;
static long gVolume[LINES][2] = {{1000, 2000}, {3000, 4000}, {50, 50}};
static unsigned int gGeneration = 0; /* counts changes */

typedef struct {
    snd_ctl_ext_t ext;
    int fd;
    unsigned int seen;     /* the generation this handle has been told about */
    unsigned int reported; /* elements reported so far for the newer generation */
} lctest_t;

static int elemCount(snd_ctl_ext_t* ext) {
    (void)ext;
    return ELEMS;
}

static int elemList(snd_ctl_ext_t* ext, unsigned int offset, snd_ctl_elem_id_t* id) {
    (void)ext;
    if (offset >= ELEMS) return -EINVAL;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, kNames[offset]);
    return 0;
}

static snd_ctl_ext_key_t findElem(snd_ctl_ext_t* ext, const snd_ctl_elem_id_t* id) {
    (void)ext;
    const char* name = snd_ctl_elem_id_get_name(id);
    for (unsigned int i = 0; i < ELEMS; ++i)
        if (strcmp(name, kNames[i]) == 0) return i;
    return SND_CTL_EXT_KEY_NOT_FOUND;
}

static int getAttribute(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, int* type, unsigned int* acc,
                        unsigned int* count) {
    (void)ext;
    if (key >= ELEMS) return -EINVAL;
    *type = key == 0 ? SND_CTL_ELEM_TYPE_ENUMERATED : SND_CTL_ELEM_TYPE_INTEGER;
    *acc = SND_CTL_EXT_ACCESS_READWRITE;
    *count = key == 0 ? 1 : 2;
    return 0;
}

static int getIntegerInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* imin, long* imax, long* istep) {
    (void)ext;
    if (key < 1 || key >= ELEMS) return -EINVAL;
    *imin = 0;
    *imax = kMax[key - 1];
    *istep = 1;
    return 0;
}

static int getEnumeratedInfo(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items) {
    (void)ext;
    if (key != 0) return -EINVAL;
    *items = LINES;
    return 0;
}

static int getEnumeratedName(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int item, char* name,
                             size_t nameMax) {
    (void)ext;
    if (key != 0 || item >= LINES) return -EINVAL;
    snprintf(name, nameMax, "%s", kItems[item]);
    return 0;
}

static int readInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    (void)ext;
    if (key < 1 || key >= ELEMS) return -EINVAL;
    value[0] = gVolume[key - 1][0];
    value[1] = gVolume[key - 1][1];
    return 0;
}

static int writeInteger(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, long* value) {
    (void)ext;
    if (key < 1 || key >= ELEMS) return -EINVAL;
    long* v = gVolume[key - 1];
    const int changed = v[0] != value[0] || v[1] != value[1];
    v[0] = value[0];
    v[1] = value[1];
    gGeneration += changed;
    return changed;
}

static int readEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items) {
    (void)ext;
    if (key != 0) return -EINVAL;
    items[0] = gSource;
    return 0;
}

static int writeEnumerated(snd_ctl_ext_t* ext, snd_ctl_ext_key_t key, unsigned int* items) {
    (void)ext;
    if (key != 0 || items[0] >= LINES) return -EINVAL;
    const int changed = gSource != items[0];
    gSource = items[0];
    gGeneration += changed;
    return changed;
}

static int readEvent(snd_ctl_ext_t* ext, snd_ctl_elem_id_t* id, unsigned int* eventMask) {
    lctest_t* p = ext->private_data;
    if (p->seen == gGeneration) return -EAGAIN;
    snd_ctl_elem_id_set_interface(id, SND_CTL_ELEM_IFACE_MIXER);
    snd_ctl_elem_id_set_name(id, kNames[p->reported]);
    *eventMask = SND_CTL_EVENT_MASK_VALUE;
    if (++p->reported == ELEMS) {
        p->reported = 0;
        p->seen = gGeneration;
    }
    return 1;
}

static void subscribeEvents(snd_ctl_ext_t* ext, int subscribe) {
    (void)ext;
    (void)subscribe;
}

static void closeCtl(snd_ctl_ext_t* ext) {
    lctest_t* p = ext->private_data;
    close(p->fd);
    free(p);
}

static const snd_ctl_ext_callback_t kCallbacks = {
    .elem_count = elemCount,
    .elem_list = elemList,
    .find_elem = findElem,
    .get_attribute = getAttribute,
    .get_integer_info = getIntegerInfo,
    .get_enumerated_info = getEnumeratedInfo,
    .get_enumerated_name = getEnumeratedName,
    .read_integer = readInteger,
    .read_enumerated = readEnumerated,
    .write_integer = writeInteger,
    .write_enumerated = writeEnumerated,
    .subscribe_events = subscribeEvents,
    .read_event = readEvent,
    .close = closeCtl,
};

SND_CTL_PLUGIN_DEFINE_FUNC(lctest) {
    (void)root;
    (void)conf;
    lctest_t* p = calloc(1, sizeof *p);
    if (!p) return -ENOMEM;
    p->fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    p->ext.version = SND_CTL_EXT_VERSION;
    p->ext.card_idx = 0;
    strcpy(p->ext.id, "lctest");
    strcpy(p->ext.driver, "lctest");
    strcpy(p->ext.name, "lctune test mixer");
    strcpy(p->ext.longname, "lctune test mixer");
    strcpy(p->ext.mixername, "lctune test mixer");
    p->ext.poll_fd = p->fd;
    p->seen = gGeneration;
    p->ext.callback = &kCallbacks;
    p->ext.private_data = p;
    const int err = snd_ctl_ext_create(&p->ext, name, mode);
    if (err < 0) {
        close(p->fd);
        free(p);
        return err;
    }
    *handlep = p->ext.handle;
    return 0;
}

SND_CTL_PLUGIN_SYMBOL(lctest)
