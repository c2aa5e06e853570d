#ifndef BLINKWATCH_ICON_IDS_H
#define BLINKWATCH_ICON_IDS_H
/* Resource numbers of the program's icons. Plain defines: read by the
   resource compiler as well as by the code. */

/* Normal set: a flat square in a grey bevelled frame. */
#define IDI_READ 137        /* green */
#define IDI_WRITE 138       /* red */
#define IDI_READWRITE 146   /* yellow */
#define IDI_IDLE 147        /* dark blue */

/* Alternate set: an upper green (read) and a lower red (write) bar. */
#define IDI_ALT_IDLE 107       /* both dark */
#define IDI_ALT_READ 139       /* upper lit */
#define IDI_ALT_WRITE 140      /* lower lit */
#define IDI_ALT_READWRITE 141  /* both lit */

/* The base of every load meter: a green square crossed by a red X, with a
   black last column and row. */
#define IDI_METER 148

#endif
