"""A web site that plays a hostile server's tricks on the banner, one per path.

Started by the browser tests: prints the port it listens on (127.0.0.1, a free port),
then serves until killed. Endless answers go on until the client drops the connection.
"""
import io
import socketserver
import struct
import time

from PIL import Image


def progressive_jpeg(size, empty_scans):
    picture = Image.linear_gradient('L').resize((size, size)).convert('RGB')
    out = io.BytesIO()
    picture.save(out, 'JPEG', progressive=True, quality=50)
    data = out.getvalue()
    # An AC scan of the first component with no data: the decoder still walks every block.
    scan = b'\xff\xda' + struct.pack('>H', 8) + bytes([1, 1, 0, 1, 63, 0])
    return data[:-2] + scan * empty_scans + b'\xff\xd9'


def png(size):
    out = io.BytesIO()
    Image.new('RGB', (size, size), (30, 60, 120)).save(out, 'PNG')
    return out.getvalue()


SCANS_JPEG = progressive_jpeg(2048, 52000)
BIG_PNG = png(2048)


def page(body):
    return b'HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n%s' % (
        len(body), body)


def pictures(path):
    return b''.join(b'<img src="%s?%d">' % (path, i) for i in range(64))


def worst_layout():
    # Everything the layout budget allows at once: tables two deep, 64 cells with the
    # largest spans, and all the text in one word.
    inner = b'<table><tr>' + b'<td colspan=4 rowspan=4>i</td>' * 7 + b'</tr></table>'
    outer = b''.join(b'<td colspan=4 rowspan=4>%s</td>' % inner for _ in range(8))
    return b'<table><tr>' + outer + b'</tr></table><p>' + b'w' * 4000


PAGES = {
    '/worst-layout': worst_layout(),
    '/ok': b'<p>fine</p>',
    '/blank-tables': b'< table>< tr>< td>' * 10000,
    '/blank-tables-200': b'< table>' * 200 + b'<p>end',
    '/tables-200': b'<table><tr><td>' * 200,
    '/comment-tables': b'<table><tr><td><!--</table>-->' * 160,
    '/style': b'<style>' + b'p{color:red}' * 80000 + b'</style><p>styled',
    '/blank-style': b'< style>' + b'p{color:red}' * 90000,
    '/word': b'<p>' + b'w' * (1 << 20),
    '/jpegs': pictures(b'/scans.jpg'),
    '/pngs': pictures(b'/big.png'),
}
FILES = {'/scans.jpg': (b'image/jpeg', SCANS_JPEG), '/big.png': (b'image/png', BIG_PNG)}


def endless(write, head, line, pause=0):
    write(head)
    while True:
        write(line)
        time.sleep(pause)


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        request = b''
        while b'\r\n\r\n' not in request and len(request) < 65536:
            more = self.request.recv(4096)
            if not more:
                return
            request += more
        path = request.split(b' ')[1].decode('latin-1').split('?')[0]
        write = self.request.sendall
        try:
            if path in PAGES:
                write(page(PAGES[path]))
            elif path in FILES:
                kind, data = FILES[path]
                write(b'HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %d\r\n\r\n%s' % (
                    kind, len(data), data))
            elif path == '/endless-headers':
                endless(write, b'HTTP/1.1 200 OK\r\n', b'X-Padding: ' + b'p' * 60 + b'\r\n')
            elif path == '/endless-header-line':
                endless(write, b'HTTP/1.1 200 OK\r\nX-Padding: ', b'p' * 4096)
            elif path == '/redirect-endless':
                endless(write, b'HTTP/1.1 302 Found\r\nLocation: /ok\r\n\r\n', b'r' * 4096)
            elif path == '/error-endless':
                endless(write, b'HTTP/1.1 404 Not Found\r\n\r\n', b'e' * 4096)
            elif path == '/chunks-endless':
                endless(write, b'HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n',
                        b'1000\r\n' + b'c' * 4096 + b'\r\n')
            elif path == '/drip':
                endless(write, b'HTTP/1.1 200 OK\r\n', b'X', pause=0.05)
            else:
                write(b'HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n')
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


if __name__ == '__main__':
    with Server(('127.0.0.1', 0), Handler) as server:
        print(server.server_address[1], flush=True)
        server.serve_forever()
