#!/bin/sh
# Makes the stand-in marketplace's certificates in the folder given:
#   test-ca.pem                                the CA that tests trust
#   test-server.pem, test-server-key.pem       127.0.0.1 and localhost, signed by the test CA
#   wrong-name-server.pem, wrong-name-server-key.pem   another host name, signed by the test CA
#   other-ca.pem                               a CA that no client trusts
#   other-server.pem, other-server-key.pem     127.0.0.1 and localhost, signed by the other CA
# Valid for a century, so that no build ever has to be redone because one ran out.
set -eu

out=$1
mkdir -p "$out"
cd "$out"
days=36500

make_ca() {
    name=$1
    cat >"$name-ca.cnf" <<EOF
[req]
distinguished_name = dn
prompt = no
x509_extensions = ca_ext
[dn]
CN = Keyword Scout $name CA
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
EOF
    openssl req -x509 -config "$name-ca.cnf" -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 \
        -noenc -keyout "$name-ca-key.pem" -out "$name-ca.pem" -days "$days" 2>/dev/null
}

make_server() {
    name=$1
    ca=$2
    names=$3
    cat >"$name-server.cnf" <<EOF
[req]
distinguished_name = dn
prompt = no
[dn]
CN = $name server
[server_ext]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = $names
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
    openssl req -new -config "$name-server.cnf" -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 \
        -noenc -keyout "$name-server-key.pem" -out "$name-server.csr" 2>/dev/null
    openssl x509 -req -in "$name-server.csr" -CA "$ca-ca.pem" -CAkey "$ca-ca-key.pem" \
        -set_serial "0x$(openssl rand -hex 16)" -days "$days" \
        -extfile "$name-server.cnf" -extensions server_ext -out "$name-server.pem" 2>/dev/null
    rm "$name-server.csr"
}

make_ca test
make_ca other
make_server test test "IP:127.0.0.1, DNS:localhost"
make_server wrong-name test "DNS:wrong-name.invalid"
make_server other other "IP:127.0.0.1, DNS:localhost"
