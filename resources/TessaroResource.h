// Identifiers of the library's own dialog templates and their controls.
#pragma once

// Progress dialogs: a message and an endless progress bar.
#define IDD_PROGRESS 3015
#define IDD_PROGRESS_TITLED 5019
#define IDD_PROGRESS_ALTERNATE 5021
#define IDD_PROGRESS_7LINE 5022
#define IDC_PROGRESS_BAR 3004
#define IDC_PROGRESS_MESSAGE 3005

// The remote folder browse dialog.
#define IDD_REMOTE_FOLDER 3017
#define IDC_REMOTE_FOLDER_TREE 5012
// Small arrows on the up and down buttons beside a list.
#define IDI_LIST_MOVE_DOWN 3027
#define IDI_LIST_MOVE_UP 3028

// The line edit's clear button and the link's hand cursor.
#define IDB_LINE_EDIT_CLEAR 3016
#define IDC_LINK_HAND 3022

// Property tree dialogs: four layouts of the same controls.
#define IDD_PROPERTY_TREE 5011
#define IDD_PROPERTY_TREE_WIDE 5017
#define IDD_PROPERTY_TREE_TALL 5018
#define IDD_PROPERTY_TREE_LARGE 5020
#define IDC_PROPERTY_TREE 5012
#define IDC_PROPERTY_PAGE_PLACE 5013
#define IDC_PROPERTY_PAGE_HEADER 5014
#define IDC_PROPERTY_APPLY 5015

// The TLS versions plug-in: a check list filling the whole plug-in.
#define IDD_TLS_VERSIONS 3031
#define IDC_TLS_VERSION_LIST 3021

// The create-certificate dialog.
#define IDD_CREATE_CERTIFICATE 1045
#define IDS_CREATE_CERTIFICATE_INTRODUCTION 5019
#define IDS_CREATE_CERTIFICATE_INTRODUCTION_UNNAMED 5023
#define IDC_CERT_INTRODUCTION 3000
#define IDC_CERT_COMMON_NAME 1181
#define IDC_CERT_ORGANIZATION 1182
#define IDC_CERT_ORGANIZATIONAL_UNIT 1183
#define IDC_CERT_COUNTRY 1184
#define IDC_CERT_STATE 1185
#define IDC_CERT_LOCALITY 1186
#define IDC_CERT_EMAIL 1187
#define IDC_CERT_PATH 1188
#define IDC_CERT_BROWSE 1018
#define IDC_CERT_EXPIRATION 3001
#define IDC_CERT_KEY_SIZE 3003
#define IDC_CERT_SIGNATURE_ALGORITHM 3006
#define IDC_CERT_EXPLANATION 1189
