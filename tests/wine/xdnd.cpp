// xdnd: drops files on an X window the way a file manager does, with the
// XDND protocol (version 5) and the text/uri-list type, so that the Wine GUI
// test hands files to kestrix as a user dragging them would.
//   xdnd WINDOW X Y FILE...
// WINDOW is the target's X window id, X and Y the drop point on the screen.
// Exit status 0 when the target accepted and finished the drop.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <sys/select.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

Display *dpy;
Window source, target;
Atom aware, enter, position, status, drop, finished, selection, copy, urilist, targets;
std::string uris;

std::string fileuri(const char *path)
{
    std::string out = "file://";
    for (const char *p = path; *p; p++) {
        unsigned char c = (unsigned char)*p;
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            std::strchr("/-_.~", c)) {
            out += (char)c;
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

void sendclient(Atom type, long l1, long l2, long l3, long l4)
{
    XEvent ev;
    std::memset(&ev, 0, sizeof ev);
    ev.xclient.type = ClientMessage;
    ev.xclient.display = dpy;
    ev.xclient.window = target;
    ev.xclient.message_type = type;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = (long)source;
    ev.xclient.data.l[1] = l1;
    ev.xclient.data.l[2] = l2;
    ev.xclient.data.l[3] = l3;
    ev.xclient.data.l[4] = l4;
    XSendEvent(dpy, target, False, NoEventMask, &ev);
    XFlush(dpy);
}

// The target asks for the dragged data (Wine asks as soon as the drag enters).
void answerrequest(const XSelectionRequestEvent &req)
{
    XEvent reply;
    std::memset(&reply, 0, sizeof reply);
    reply.xselection.type = SelectionNotify;
    reply.xselection.display = dpy;
    reply.xselection.requestor = req.requestor;
    reply.xselection.selection = req.selection;
    reply.xselection.target = req.target;
    reply.xselection.time = req.time;
    reply.xselection.property = req.property == None ? req.target : req.property;
    if (req.target == urilist) {
        XChangeProperty(dpy, req.requestor, reply.xselection.property, urilist, 8, PropModeReplace,
                        (const unsigned char *)uris.data(), (int)uris.size());
    } else if (req.target == targets) {
        Atom list[2] = {targets, urilist};
        XChangeProperty(dpy, req.requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                        (const unsigned char *)list, 2);
    } else {
        reply.xselection.property = None;
    }
    XSendEvent(dpy, req.requestor, False, NoEventMask, &reply);
    XFlush(dpy);
}

// Handles events until a client message of type want arrives (returned in
// *got) or ms milliseconds pass; 0 on timeout.
int waitfor(Atom want, XClientMessageEvent *got, int ms)
{
    int fd = ConnectionNumber(dpy);
    for (int waited = 0; waited < ms;) {
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            if (ev.type == SelectionRequest)
                answerrequest(ev.xselectionrequest);
            else if (ev.type == ClientMessage && ev.xclient.message_type == want) {
                *got = ev.xclient;
                return 1;
            }
        }
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv = {0, 20000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
        waited += 20;
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: xdnd WINDOW X Y FILE...\n");
        return 2;
    }
    dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "xdnd: no display\n");
        return 2;
    }
    target = (Window)std::strtoul(argv[1], nullptr, 0);
    long x = std::atol(argv[2]), y = std::atol(argv[3]);
    for (int i = 4; i < argc; i++)
        uris += fileuri(argv[i]) + "\r\n";

    aware = XInternAtom(dpy, "XdndAware", False);
    enter = XInternAtom(dpy, "XdndEnter", False);
    position = XInternAtom(dpy, "XdndPosition", False);
    status = XInternAtom(dpy, "XdndStatus", False);
    drop = XInternAtom(dpy, "XdndDrop", False);
    finished = XInternAtom(dpy, "XdndFinished", False);
    selection = XInternAtom(dpy, "XdndSelection", False);
    copy = XInternAtom(dpy, "XdndActionCopy", False);
    urilist = XInternAtom(dpy, "text/uri-list", False);
    targets = XInternAtom(dpy, "TARGETS", False);

    source = XCreateSimpleWindow(dpy, DefaultRootWindow(dpy), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(dpy, selection, source, CurrentTime);
    if (XGetSelectionOwner(dpy, selection) != source) {
        std::fprintf(stderr, "xdnd: cannot own XdndSelection\n");
        return 1;
    }

    sendclient(enter, 5L << 24, (long)urilist, 0, 0);
    sendclient(position, 0, (x << 16) | (y & 0xffff), CurrentTime, (long)copy);
    XClientMessageEvent reply;
    if (!waitfor(status, &reply, 5000)) {
        std::fprintf(stderr, "xdnd: no XdndStatus from the target\n");
        return 1;
    }
    int accepted = (int)(reply.data.l[1] & 1);
    std::printf("accepted=%d\n", accepted);
    if (!accepted)
        return 1;
    sendclient(drop, 0, CurrentTime, 0, 0);
    if (!waitfor(finished, &reply, 5000)) {
        std::fprintf(stderr, "xdnd: no XdndFinished from the target\n");
        return 1;
    }
    std::printf("finished=1\n");
    XCloseDisplay(dpy);
    return 0;
}
